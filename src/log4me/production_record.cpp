#include "production_record.h"

#include <cstdio>
#include <exception>
#include <random>
#include <utility>

#include "log4me.h"

namespace log4me {

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

std::string YesNo(bool value) {
    return value ? "yes" : "no";
}

// ISO 8601 local time with milliseconds: 2024-02-29T12:34:56.789.
std::string IsoTime(const os::LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.millisecond);
    return text;
}

std::string_view Trimmed(std::string_view text) {
    constexpr std::string_view kBlanks = " \t";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// A name no other copy picks at the same moment, for the file that becomes the day's file.
std::string NewFileName(const std::string& path) {
    std::random_device device;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x.new", static_cast<unsigned>(device()));
    return path + suffix;
}

// Creates the day's file with its byte-order mark and header unless it exists. The header is
// written to a file of this copy's own first, which then takes the day's name only if no other
// copy's file took it meanwhile: no row can ever land before the header, nor a second header.
void CreateWithHeader(const std::string& path) {
    if (os::FileExists(path)) {
        return;
    }
    const std::string newFile = NewFileName(path);
    try {
        os::CreateForWriting(newFile, os::Share::kNone).Write(kByteOrderMark + CsvHeader());
        if (!os::MoveUnlessExists(newFile, path)) {
            os::RemoveFile(newFile);  // another copy created the day's file first
        }
    } catch (...) {
        os::RemoveFile(newFile);
        throw;
    }
}

}  // namespace

std::string CsvHeader() {
    return "time,title,station_folder,probe,image,checksum,erase,verdict,error_code,run_ms,"
           "timed_out,exit_code\r\n";
}

std::string CsvRow(const ProductionRecord& r) {
    const auto& run = r.run;
    const std::string fields[] = {
        IsoTime(r.time),
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
    };
    std::string row;
    for (const std::string& field : fields) {
        row += (row.empty() ? "" : ",") + CsvField(field);
    }
    return row + "\r\n";
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c == '"' ? "\"\"" : std::string(1, c);
    }
    return quoted + "\"";
}

std::string JoinedLines(std::string_view text) {
    std::string joined;
    while (!text.empty()) {
        const auto end = text.find_first_of("\r\n");
        const std::string_view line = Trimmed(text.substr(0, end));
        if (!line.empty()) {
            joined += (joined.empty() ? "" : ";") + std::string(line);
        }
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return joined;
}

std::string RecordFileName(const os::LocalTime& date) {
    return DatedFileName(date, ".csv");
}

void AppendProductionRecord(ProductionRecord record) noexcept {
    try {
        const std::optional<InfoPlace> place = WhereInfoGoes();
        if (!place) {
            return;
        }
        record.time = place->now;
        const std::string path = place->folder + RecordFileName(place->now);
        CreateWithHeader(path);
        os::OpenForAppending(path).Write(CsvRow(record));
    } catch (const std::exception& error) {
        ReportFailure(error.what());
    } catch (...) {
    }
}

}  // namespace log4me
