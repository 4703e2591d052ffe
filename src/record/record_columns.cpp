#include "record/record_columns.h"

#include "record/csv.h"

namespace record {

std::optional<Column> ColumnNamed(std::string_view name) {
    for (std::size_t i = 0; i < kKnownColumns; ++i) {
        if (kColumnNames[i] == name) {
            return static_cast<Column>(i);
        }
    }
    return std::nullopt;
}

std::string HeaderRow(std::size_t count) {
    std::string row;
    for (std::size_t i = 0; i < count && i < kKnownColumns; ++i) {
        if (i > 0) {
            row += ',';
        }
        AppendCsvField(row, kColumnNames[i]);
    }
    return row + "\r\n";
}

}  // namespace record
