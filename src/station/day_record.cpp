#include "day_record.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "csv.h"
#include "files.h"
#include "record_columns.h"

namespace {

// Where the fields are in the record's rows, from its header.
struct Columns {
    std::optional<std::size_t> time, title, verdict, runMs, deviceId;

    explicit Columns(const record::CsvReader& header) {
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
    std::string_view Field(const record::CsvReader& row, std::optional<std::size_t> at) const {
        return at && *at < row.FieldCount() ? row.Field(*at) : std::string_view();
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
    std::string_view text = bytes;
    record::CsvReader reader;
    std::optional<Columns> columns;
    const auto row = [&] {
        if (!columns) {
            columns.emplace(reader);
        } else if (columns->title && columns->Field(reader, columns->title) == title) {
            take({columns->Field(reader, columns->time), columns->Field(reader, columns->verdict),
                  columns->Field(reader, columns->runMs),
                  columns->Field(reader, columns->deviceId)});
        }
    };
    while (!text.empty()) {
        text.remove_prefix(reader.Take(text));
        if (reader.Ready()) {
            row();
        }
    }
    if (reader.Finish()) {
        row();
    }
}
