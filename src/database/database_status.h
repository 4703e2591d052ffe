// What the station learns of its database: a small state and its log lines, and the answer to
// a press that wants serial numbers from the pool. The window's texts of both are the station's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "serial_numbers/serial_number_state.h"

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

// For the daily log when the state changes: the whole reason.
std::string StatusLogLine(const DatabaseStatus& status);
// The log line of a row the database refused.
std::string RefusedLogLine(const std::string& file, std::uint64_t line, const std::string& reason);

// Why a press can have no serial numbers from the pool.
enum class NoBlock {
    kNone,              // it can: the answer has a range
    kNoPool,            // config.ini names no pool
    kPoolSetting,       // a key of the pool set wrongly: detail is what is wrong
    kNoConnection,      // a pool, but no connection to the database it lives in
    kUnreachable,       // the database cannot be reached: detail is its reason's first line
    kRefused,           // it answered with an error (no such pool): detail is its first line
    kPoolUsedUp,        // the pool itself is used up: detail is the pool's name
    kNoAnswerInTime,    // no block came within seconds
    kTakenByOtherCopy,  // another copy in this folder took the block's last number meanwhile
    kStationFiles,      // the station folder's numbers or blocks file: detail is the failure
};

// The serial numbers a press may take from its pool: the block, or why there is none.
struct SerialBlockAnswer {
    std::optional<serial_numbers::NumberRange> range;
    NoBlock why = NoBlock::kNone;  // kNone exactly when there is a range
    std::string detail;
    std::uint64_t seconds = 0;  // kNoAnswerInTime: how long it waited

    static SerialBlockAnswer Range(serial_numbers::NumberRange range) {
        return {range, NoBlock::kNone, "", 0};
    }
    static SerialBlockAnswer None(NoBlock why, std::string detail = "") {
        return {std::nullopt, why, std::move(detail), 0};
    }
};

// What the factory's database says of a board label: whether a station passed it already, or
// why it could not say.
struct LabelAnswer {
    enum class Kind {
        kNoDatabase,      // config.ini names no database: nobody was asked
        kNotPassed,       // no station has a PASS row of it
        kPassed,          // station passed it at time
        kNoProcedure,     // the database lacks romtool.label_passed (made by an earlier script)
        kFailed,          // unreachable, or it answered with an error: detail is its first line
        kNoAnswerInTime,  // no answer within seconds
    };
    Kind kind = Kind::kNoDatabase;
    std::string station;  // kPassed: the station's name in its row
    std::string time;     // kPassed: the time of its PASS row, as the record writes it
    std::string detail;
    std::uint64_t seconds = 0;  // kNoAnswerInTime: how long the press waited
};

}  // namespace database
