// Where a record file keeps each column: the station's columns by the names its header row gives
// them, and the fields of a row past the header's end (a station updated during the day) by the
// station's own column order, which only grows at its end. Shared by every reader of the record.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "record/csv.h"
#include "record/record_columns.h"

namespace record {

class RecordLayout {
public:
    // The layout a file's header row gives.
    explicit RecordLayout(const CsvReader& header);

    // The header names a time and a verdict column: the file is a production record.
    bool IsRecord() const;
    // How many fields the header has: a row with fewer is incomplete.
    std::size_t HeaderFields() const { return headerFields_; }
    // The field of column in row; "" when the row has none.
    std::string_view FieldOf(const CsvReader& row, Column column) const;

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::array<std::size_t, kKnownColumns> at_{};  // the field of each known column, or kNone
    std::size_t headerFields_ = 0;
};

}  // namespace record
