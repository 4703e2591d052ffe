#include "record/record_layout.h"

namespace record {

RecordLayout::RecordLayout(const CsvReader& header) : headerFields_(header.FieldCount()) {
    at_.fill(kNone);
    for (std::size_t i = 0; i < header.FieldCount(); ++i) {
        const auto column = ColumnNamed(header.Field(i));
        if (column && at_[IndexOf(*column)] == kNone) {
            at_[IndexOf(*column)] = i;
        }
    }
    if (!header.Problem().empty()) {
        at_.fill(kNone);
    }
}

bool RecordLayout::IsRecord() const {
    return at_[IndexOf(Column::kTime)] != kNone && at_[IndexOf(Column::kVerdict)] != kNone;
}

std::string_view RecordLayout::FieldOf(const CsvReader& row, Column column) const {
    const std::size_t c = IndexOf(column);
    std::size_t at = at_[c];
    if (at == kNone && c >= headerFields_) {
        at = c;
    }
    return at < row.FieldCount() ? row.Field(at) : std::string_view();
}

}  // namespace record
