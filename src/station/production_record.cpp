#include "production_record.h"

#include <exception>
#include <iterator>
#include <utility>

#include "csv.h"
#include "log4me.h"
#include "record_columns.h"
#include "text.h"

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr char kExtension[] = ".csv";
// Rows wait in memory up to this many bytes: thousands of presses, while the check refuses to
// program any board whose row could not be written.
constexpr std::size_t kRowsKeptInMemory = std::size_t{4} << 20;

std::string YesNo(bool value) {
    return value ? "yes" : "no";
}

}  // namespace
std::string CsvHeader() {
    return record::HeaderRow(record::kStationColumns);
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
    };
    static_assert(std::size(fields) == record::kStationColumns,
                  "a row has the columns of the header, in the order of record_columns.h");
    std::string row;
    for (const std::string& field : fields) {
        row += (row.empty() ? "" : ",") + CsvField(field);
    }
    return row + "\r\n";
}

std::string CsvField(std::string_view text) {
    return record::CsvField(text);
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

std::string RecordTime(const os::LocalTime& t) {
    return os::DateText(t) + "T" + os::TimeText(t);
}

std::string RecordFileName(const os::LocalTime& date) {
    return log4me::DatedFileAppender::FileName(date, kExtension);
}

ProductionRecordFile::ProductionRecordFile(const std::string& owner, log4me::Clock clock)
    : file_(kExtension, kByteOrderMark + CsvHeader(), false, owner, kRowsKeptInMemory),
      clock_(std::move(clock)) {}

log4me::AppendResult ProductionRecordFile::Append(const std::string& folder,
                                                  ProductionRecord& record) noexcept {
    try {
        const log4me::ClockReading now = clock_();
        record.time = now.local;
        log4me::AppendResult result = file_.Append(folder, now.local, CsvRow(record), now.steady);
        if (result.placement == log4me::Placement::kWaitingInMemory ||
            result.placement == log4me::Placement::kLost) {
            log4me::ReportFailure(result.problem);
        }
        return result;
    } catch (const std::exception& error) {
        return {log4me::Placement::kLost, folder, error.what()};
    }
}
