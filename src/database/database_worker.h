// What the station's thread and the database worker share (station_database.h), and the worker
// itself. Private to the module.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "serial_blocks.h"
#include "station_database.h"

namespace database {

// Why a block asked for cannot come under the settings at hand.
inline constexpr char kNoPool[] = "config.ini的[serial]中没有pool";
inline constexpr char kNoConnection[] = "config.ini中没有[database]的connection";

// Held by the object and by the worker, so that a worker left behind by the destructor (a
// driver that never returns) still finds it.
struct StationDatabase::Shared {
    Shared(std::string titleOfCopy, Notify notifyStation, Timing timingOfCalls, OpenFactory opener)
        : title(std::move(titleOfCopy)),
          timing(timingOfCalls),
          open(std::move(opener)),
          notify(std::move(notifyStation)) {}

    // Calls notify unless the station has let go of the worker.
    void NotifyStation();
    // Adds the lines and the status (at least one row waiting when the station poked during
    // the round); notifies when anything changed. Locks mutex.
    void Publish(DatabaseStatus next, std::vector<std::string> lines);

    const std::string title;
    const Timing timing;
    const OpenFactory open;

    std::mutex mutex;                  // guards everything below but notify
    std::condition_variable wake;      // the worker waits on it between rounds
    std::condition_variable answered;  // a block asked for was answered, or the worker ended
    StationDatabaseConfig config;
    bool configured = false;
    bool configChanged = false;
    bool poked = false;
    bool stop = false;
    bool finished = false;
    std::uint64_t blockRequests = 0;
    std::uint64_t blockAnswers = 0;
    std::string blockProblem;         // why the last block asked for did not come
    std::vector<SerialBlock> blocks;  // as in the blocks file
    DatabaseStatus status;
    std::optional<std::chrono::steady_clock::time_point> callSince;  // a call is waiting
    DatabaseStatus logged;  // the state the last state line logged
    std::vector<std::string> logLines;

    std::mutex notifyMutex;
    Notify notify;
};

// The worker's life: rounds until the station stops it.
void RunWorker(const std::shared_ptr<StationDatabase::Shared>& shared);

}  // namespace database
