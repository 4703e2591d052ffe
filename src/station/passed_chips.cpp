#include "passed_chips.h"

#include <algorithm>
#include <exception>
#include <string_view>

#include "csv.h"
#include "files.h"
#include "record_columns.h"

namespace {

// Where the fields the index needs are in the record's rows, from its header.
struct Columns {
    std::size_t time = 0, title = 0, verdict = 0, deviceId = 0;
    bool found = false;

    explicit Columns(const record::CsvReader& header) {
        int seen = 0;
        for (std::size_t i = 0; i < header.FieldCount(); ++i) {
            const std::optional<record::Column> column = record::ColumnNamed(header.Field(i));
            std::size_t* const place = !column                                ? nullptr
                                       : *column == record::Column::kTime     ? &time
                                       : *column == record::Column::kTitle    ? &title
                                       : *column == record::Column::kVerdict  ? &verdict
                                       : *column == record::Column::kDeviceId ? &deviceId
                                                                              : nullptr;
            if (place) {
                *place = i;
                ++seen;
            }
        }
        found = seen == 4;
    }
    bool Holds(const record::CsvReader& row) const {
        return found && std::max({time, title, verdict, deviceId}) < row.FieldCount();
    }
};

// The record's text without its byte-order mark; "" when there is no record yet.
std::string RecordText(const std::string& path) {
    try {
        std::string bytes = os::ReadWholeFile(path, os::Share::kReadWrite);
        return bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? bytes.substr(3) : bytes;
    } catch (const std::exception&) {
        return {};  // none yet today, or one that cannot be read: no earlier pass is known
    }
}

}  // namespace

void PassedChips::Load(const std::string& recordPath, const std::string& title) {
    loadedFrom_ = recordPath;
    passes_.clear();
    const std::string bytes = RecordText(recordPath);
    std::string_view text = bytes;
    record::CsvReader reader;
    std::optional<Columns> columns;
    const auto take = [&] {
        if (!columns) {
            columns.emplace(reader);
        } else if (columns->Holds(reader) && reader.Field(columns->title) == title &&
                   reader.Field(columns->verdict) == "PASS" &&
                   !reader.Field(columns->deviceId).empty()) {
            passes_.emplace(std::string(reader.Field(columns->deviceId)),
                            std::string(reader.Field(columns->time)));
        }
    };
    while (!text.empty()) {
        text.remove_prefix(reader.Take(text));
        if (reader.Ready()) {
            take();
        }
    }
    if (reader.Finish()) {
        take();
    }
}

std::optional<std::string> PassedChips::EarlierPass(const std::string& recordPath,
                                                    const std::string& title,
                                                    const std::string& deviceId) {
    if (recordPath != loadedFrom_) {
        Load(recordPath, title);
    }
    const auto found = passes_.find(deviceId);
    return found == passes_.end() ? std::nullopt : std::optional(found->second);
}

void PassedChips::Add(const std::string& deviceId, const std::string& time) {
    passes_.emplace(deviceId, time);
}
