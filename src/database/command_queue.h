// What the station's thread tells the database worker: typed commands, in the order given, on a
// queue that the worker alone takes from. Thread-safe.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <optional>
#include <string>
#include <variant>

#include "database/database_status.h"
#include "database/station_database_config.h"

namespace database {

namespace command {

// What config.ini says now.
struct Settings {
    StationDatabaseConfig config;
};
// A row was written: send now.
struct Poke {};
// The station has no number left: the block to use, or why there is none.
struct BlockWanted {
    std::promise<SerialBlockAnswer> reply;
};
// A press asks whether a station already passed a board label (as the record's field holds it).
struct LabelAsked {
    std::string label;
    std::promise<LabelAnswer> reply;
};
// The station is closing: end.
struct Stop {};

}  // namespace command

using Command = std::variant<command::Settings, command::Poke, command::BlockWanted,
                             command::LabelAsked, command::Stop>;

class CommandQueue {
public:
    void Push(Command command);
    // The first command, waiting for one at most wait; none when none came.
    std::optional<Command> Pop(std::chrono::milliseconds wait);
    // A command waits that should cut a round of sending short: anything but a poke.
    bool Urgent() const;
    // A poke waits.
    bool Poked() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable pushed_;
    std::deque<Command> commands_;
};

}  // namespace database
