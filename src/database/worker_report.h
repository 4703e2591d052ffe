// What the database worker shows the station's thread, and what it may still do to the station.
// Private to the module; thread-safe.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "database/database_status.h"
#include "database/serial_blocks.h"

namespace database {

// The worker's state as the station reads it: the status, the log's lines, whether a call to
// the database is waiting now, and the blocks of serial numbers as the worker holds them.
class WorkerReport {
public:
    explicit WorkerReport(std::chrono::milliseconds silent) : silent_(silent) {}

    // The last status; unreachable ("数据库N秒没有应答") while one call has waited longer than
    // silent.
    DatabaseStatus Status() const;
    std::vector<std::string> TakeLogLines();

    // The station named a database or a pool: "connecting" until the worker says more.
    void Configured(bool connecting, std::vector<std::string> lines);
    // Runs poke (which queues the poke) and shows at least one row waiting, until a round
    // that began after it says otherwise.
    void Poked(const std::function<void()>& poke);

    // The status a round ended with, and its lines; a state that changed is logged too. A row
    // still waits when pokeWaiting says so (asked under the same lock as Poked's, so no poke
    // slips between). Returns whether anything changed.
    bool Publish(DatabaseStatus next, std::vector<std::string> lines,
                 const std::function<bool()>& pokeWaiting);
    void AddLines(std::vector<std::string> lines);
    void CallStarted();
    void CallEnded();

    // The blocks the worker holds for the station folder.
    void ShowBlocks(const std::string& folder, const std::vector<SerialBlock>& blocks);
    // The blocks of folder; none until the worker has read that folder's file.
    std::optional<std::vector<SerialBlock>> Blocks(const std::string& folder) const;

private:
    const std::chrono::milliseconds silent_;
    mutable std::mutex mutex_;
    DatabaseStatus status_;
    DatabaseStatus logged_;  // the state the last state line logged
    std::vector<std::string> logLines_;
    std::optional<std::chrono::steady_clock::time_point> callSince_;
    std::optional<std::string> blocksFolder_;
    std::vector<SerialBlock> blocks_;
};

// Marks a call to the database as waiting while it lives.
class WatchedCall {
public:
    explicit WatchedCall(WorkerReport& report) : report_(report) { report_.CallStarted(); }
    ~WatchedCall() { report_.CallEnded(); }
    WatchedCall(const WatchedCall&) = delete;
    WatchedCall& operator=(const WatchedCall&) = delete;

private:
    WorkerReport& report_;
};

// What the worker may still do to the station: call its notify, write its files. Once the
// station has let go, nothing: a write under way when it lets go ends first, none starts after.
class StationGate {
public:
    explicit StationGate(std::function<void()> notify) : notify_(std::move(notify)) {}

    void Notify();
    // Runs write unless the station has let go; false then.
    bool Write(const std::function<void()>& write);
    // The station no longer wants to hear from the worker.
    void StopNotifying();
    // The station lets go: returns once no write is under way; none starts after.
    void Close();

private:
    std::mutex mutex_;
    std::function<void()> notify_;
    bool closed_ = false;
};

}  // namespace database
