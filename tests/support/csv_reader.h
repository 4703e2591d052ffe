// A small reader of RFC 4180 text, as a spreadsheet reads the production record: fields split
// at commas, rows at CR LF, quoted fields taken whole with their doubled quotes undone.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace test_support {

using CsvRows = std::vector<std::vector<std::string>>;

inline CsvRows ReadCsv(std::string_view text) {
    CsvRows rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                field += c;
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row.push_back(std::move(field));
            field.clear();
            rows.push_back(std::move(row));
            row.clear();
            ++i;
        } else {
            field += c;
        }
    }
    if (!field.empty() || !row.empty()) {
        row.push_back(std::move(field));
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace test_support
