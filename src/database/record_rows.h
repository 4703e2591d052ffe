// The rows of one production record file that one copy of the station wrote (its application
// title), from where an earlier reading stopped. The record is appended to while it is read: only
// rows that have ended (their line break is there) are taken.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "record/record_columns.h"

namespace database {

// A place in a record file: a byte offset at the start of a row, and the line it is on.
struct RecordPlace {
    std::uint64_t offset = 0;  // 0: the start of the file, before its header
    std::uint64_t line = 1;

    friend bool operator==(const RecordPlace& a, const RecordPlace& b) {
        return a.offset == b.offset && a.line == b.line;
    }
};

struct RecordRow {
    std::array<std::string, record::kKnownColumns> fields;  // by the station's column order
    std::uint64_t line = 0;                                 // the line it starts on
    RecordPlace next;                                       // where the row after it starts
    // Why the row cannot be sent as it is (broken quoting, fewer fields than the header: a row
    // cut short by a power cut); "" when it can.
    std::string problem;
};

struct RecordScan {
    std::vector<RecordRow> rows;  // the title's ended rows after the place, in order
    RecordPlace end;              // after the last ended row of any title
    // The file's header names no time and verdict column: it is not a record, and has no rows.
    bool notARecord = false;
};

// Reads the file's bytes (all of them, its header included) from place on, and keeps the rows
// whose title field is title.
RecordScan ScanRecord(std::string_view bytes, RecordPlace place, std::string_view title);

}  // namespace database
