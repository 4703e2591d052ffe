#include "day_record.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "csv.h"
#include "files.h"
#include "record_columns.h"

namespace {

// Where the fields are in the record's rows, from its header; kNone for a field it lacks.
struct Columns {
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t time = kNone, title = kNone, verdict = kNone, runMs = kNone, deviceId = kNone;

    void Read(const record::CsvReader& header) {
        for (std::size_t i = 0; i < header.FieldCount(); ++i) {
            const std::optional<record::Column> column = record::ColumnNamed(header.Field(i));
            if (!column) {
                continue;
            }
            switch (*column) {
                case record::Column::kTime:
                    time = i;
                    break;
                case record::Column::kTitle:
                    title = i;
                    break;
                case record::Column::kVerdict:
                    verdict = i;
                    break;
                case record::Column::kRunMs:
                    runMs = i;
                    break;
                case record::Column::kDeviceId:
                    deviceId = i;
                    break;
                default:
                    break;
            }
        }
    }
    static std::string_view Field(const record::CsvReader& row, std::size_t at) {
        return at < row.FieldCount() ? row.Field(at) : std::string_view();
    }
};

// The record's text without its byte-order mark; "" when there is none to read.
std::string RecordText(const std::string& path) {
    try {
        std::string bytes = os::ReadWholeFile(path, os::Share::kReadWrite);
        return bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? bytes.substr(3) : bytes;
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace

void ForEachRowOf(const std::string& path, const std::string& title,
                  const std::function<void(const DayRow&)>& take) {
    const std::string bytes = RecordText(path);
    record::CsvReader reader;
    Columns columns;
    bool header = true;
    const auto row = [&] {
        if (header) {
            columns.Read(reader);
            header = false;
        } else if (columns.title != Columns::kNone &&
                   Columns::Field(reader, columns.title) == title) {
            take({Columns::Field(reader, columns.time), Columns::Field(reader, columns.verdict),
                  Columns::Field(reader, columns.runMs), Columns::Field(reader, columns.deviceId)});
        }
    };
    record::ForEachCsvRow(reader, bytes, row);
}
