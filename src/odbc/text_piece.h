// A long text column is read in pieces (SQLGetData into a fixed buffer): how much of a piece is
// the column's text, and whether the column ends with it. Apart from the ODBC calls, so that each
// answer a driver may give is tested without one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace odbc {

// What the driver said of the length, in bytes, when it does not know it (SQL_NO_TOTAL).
inline constexpr std::int64_t kNoTotal = -4;

struct TextPiece {
    std::size_t units = 0;  // UTF-16 units of text at the buffer's start
    bool last = false;      // no piece follows; otherwise read on until the driver has no data
};

// buffer: the piece as the driver filled it, the whole buffer, its last unit room for the
// terminator. indicator: the length the driver gave (of the text still to read, in bytes), or
// kNoTotal or any other negative value when it gave none (not SQL_NULL_DATA: the caller's). The
// piece never reaches beyond the buffer: an unknown length is found by the terminator, and a
// length beyond the buffer means a full buffer with more to come.
TextPiece TextPieceOf(std::u16string_view buffer, std::int64_t indicator);

}  // namespace odbc
