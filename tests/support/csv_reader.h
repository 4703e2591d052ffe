// The production record read back as a spreadsheet reads it, through the record's own RFC 4180
// reader (src/record/csv.h): fields split at commas, rows at line breaks, quoted fields taken
// whole with their doubled quotes undone.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "record/csv.h"

namespace test_support {

using CsvRows = std::vector<std::vector<std::string>>;

inline CsvRows ReadCsv(std::string_view text) {
    CsvRows rows;
    record::CsvReader reader;
    const auto keep = [&rows, &reader] {
        std::vector<std::string>& row = rows.emplace_back();
        for (std::size_t i = 0; i < reader.FieldCount(); ++i) {
            row.emplace_back(reader.Field(i));
        }
    };
    record::ForEachCsvRow(reader, text, keep);
    return rows;
}

}  // namespace test_support
