#include "database/record_rows.h"

#include <algorithm>
#include <optional>

#include "record/csv.h"
#include "record/production_record.h"
#include "record/record_layout.h"

namespace database {

namespace {

// The header row at the start of bytes, and where the first row after it starts; none when the
// header has not ended yet.
std::optional<record::RecordLayout> ReadHeader(std::string_view bytes, RecordPlace& first) {
    const std::size_t mark =
        bytes.substr(0, record::kByteOrderMark.size()) == record::kByteOrderMark
            ? record::kByteOrderMark.size()
            : 0;
    record::CsvReader reader;
    const std::size_t taken = reader.Take(bytes.substr(mark));
    if (!reader.Ready()) {
        return std::nullopt;
    }
    first = {mark + taken, reader.Line() + 1};
    return record::RecordLayout(reader);
}

RecordRow RowOf(const record::CsvReader& reader, const record::RecordLayout& layout) {
    RecordRow row;
    for (std::size_t c = 0; c < record::kKnownColumns; ++c) {
        row.fields[c] = layout.FieldOf(reader, static_cast<record::Column>(c));
    }
    if (!reader.Problem().empty()) {
        row.problem = reader.Problem();
    } else if (reader.FieldCount() < layout.HeaderFields()) {
        row.problem = "it has " + std::to_string(reader.FieldCount()) +
                      " fields, its file's header " + std::to_string(layout.HeaderFields());
    }
    return row;
}

}  // namespace

RecordScan ScanRecord(std::string_view bytes, RecordPlace place, std::string_view title) {
    RecordScan scan;
    scan.end = place;
    RecordPlace first;
    const std::optional<record::RecordLayout> layout = ReadHeader(bytes, first);
    if (!layout) {
        return scan;
    }
    if (!layout->IsRecord()) {
        scan.notARecord = true;
        return scan;
    }
    if (place.offset < first.offset) {
        place = scan.end = first;
    }
    record::CsvReader reader;
    std::string_view rest = bytes.substr(place.offset);
    std::uint64_t offset = place.offset;
    while (!rest.empty()) {
        const std::size_t taken = reader.Take(rest);
        rest.remove_prefix(taken);
        offset += taken;
        if (!reader.Ready()) {
            break;  // the last row has not ended yet
        }
        // Each Take here ends one row: the next starts on the line after its last line break.
        const std::uint64_t line = scan.end.line;
        const std::string_view rowBytes = bytes.substr(offset - taken, taken);
        scan.end = {offset, line + static_cast<std::uint64_t>(
                                       std::count(rowBytes.begin(), rowBytes.end(), '\n'))};
        if (reader.Blank() || layout->FieldOf(reader, record::Column::kTitle) != title) {
            continue;
        }
        RecordRow row = RowOf(reader, *layout);
        row.line = line;
        row.next = scan.end;
        scan.rows.push_back(std::move(row));
    }
    return scan;
}

}  // namespace database
