// What the station shows and logs of its database: a small state, and its texts.
#pragma once

#include <cstddef>
#include <string>

#include "serial_number_state.h"

namespace database {

struct DatabaseStatus {
    enum class State {
        kOff,          // config.ini names no database
        kConnecting,   // named, and the first attempt has not ended yet
        kConnected,    // the last attempt reached it
        kUnreachable,  // the last attempt did not: reason says why
    };
    State state = State::kOff;
    std::size_t waiting = 0;  // rows of the record not yet delivered
    std::size_t refused = 0;  // rows the database refused since the program started
    std::string reason;       // why it cannot be reached (passwords masked)

    friend bool operator==(const DatabaseStatus& a, const DatabaseStatus& b) {
        return a.state == b.state && a.waiting == b.waiting && a.refused == b.refused &&
               a.reason == b.reason;
    }
    friend bool operator!=(const DatabaseStatus& a, const DatabaseStatus& b) { return !(a == b); }
};

// For the window, one line: "数据库：已连接", "数据库：12 条待发送", "数据库：无法连接（<the
// reason's first line, cut short>），12 条待发送", each followed by "，N 条被拒收（见日志）" when
// rows were refused; "" when off.
std::string StatusText(const DatabaseStatus& status);
// For the daily log when the state changes: the whole reason.
std::string StatusLogLine(const DatabaseStatus& status);
// The log line of a row the database refused.
std::string RefusedLogLine(const std::string& file, std::uint64_t line, const std::string& reason);

// The serial numbers a press may take from its pool: the block, or why there is none.
struct SerialBlockAnswer {
    std::optional<serial_numbers::NumberRange> range;
    std::string problem;  // what keeps the pool from giving one; "" with a range
};
// The check's 114 line for an answer without a range.
std::string SerialBlockMessage(const SerialBlockAnswer& answer);

}  // namespace database
