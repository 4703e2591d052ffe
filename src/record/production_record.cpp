#include "record/production_record.h"

#include <iterator>

#include "platform/text.h"
#include "record/csv.h"
#include "record/record_columns.h"

namespace record {

namespace {

std::string YesNo(bool value) {
    return value ? "yes" : "no";
}

}  // namespace

std::string CsvHeader() {
    return HeaderRow(kStationColumns);
}

std::string CsvRow(const ProductionRecord& r) {
    const auto& run = r.run;
    const std::string fields[] = {
        RecordTime(r.time),
        r.title,
        r.stationFolder,
        JoinedLines(r.probeOutput),
        r.imagePath,
        r.checksum,
        YesNo(r.erase),
        r.pass ? "PASS" : "FAIL",
        r.errorCode ? std::to_string(*r.errorCode) : "",
        run ? std::to_string(run->duration.count()) : "",
        run ? YesNo(run->timedOut) : "",
        run ? std::to_string(run->exitCode) : "",
        r.probeSerial,
        r.deviceId,
        r.serialNumber ? std::to_string(*r.serialNumber) : "",
        r.sameChipAs,
        RecordedLabel(r.boardLabel),
        r.family,
        r.sessions ? std::to_string(*r.sessions) : "",
        r.mesCheck,
        r.fixture,
    };
    static_assert(std::size(fields) == kStationColumns,
                  "a row has the columns of the header, in the order of record_columns.h");
    return RowText(fields);
}

std::string JoinedLines(std::string_view text) {
    std::string joined;
    os::ForEachLine(text, [&joined](std::string_view whole) {
        const std::string_view line = os::TrimmedOf(whole, " \t");
        if (!line.empty()) {
            joined += (joined.empty() ? "" : ";") + std::string(line);
        }
    });
    return joined;
}

std::string RecordedLabel(std::string_view label) {
    const bool formulaLike =
        !label.empty() && std::string_view("=+-@'").find(label.front()) != std::string_view::npos;
    return (formulaLike ? "'" : "") + std::string(label);
}

bool IsRecordFileName(std::string_view name) {
    static constexpr std::string_view kPattern = "dddd-dd-dd.csv";
    if (name.size() != kPattern.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        const bool digit = name[i] >= '0' && name[i] <= '9';
        if (kPattern[i] == 'd' ? !digit : name[i] != kPattern[i]) {
            return false;
        }
    }
    return true;
}

std::string RecordTime(const os::LocalTime& t) {
    return os::DateText(t) + "T" + os::TimeText(t);
}

std::string RecordFileName(const os::LocalTime& date) {
    return os::DateText(date) + kRecordExtension;
}

std::string DeviceIdText(std::uint64_t id) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(16, '0');
    for (std::size_t i = 16; i-- > 0; id >>= 4) {
        text[i] = kDigits[id & 0xF];
    }
    return text;
}

std::string_view WithoutByteOrderMark(std::string_view text) {
    return text.substr(0, kByteOrderMark.size()) == kByteOrderMark
               ? text.substr(kByteOrderMark.size())
               : text;
}

}  // namespace record
