// The factory's database as a station service: one worker thread (database_worker.h), owned by
// this object, sends the record's rows (record_delivery.h) and keeps the blocks of serial
// numbers (serial_blocks.h), so that the window's thread never waits on the database, except
// when a press needs a new block and none is left (SerialRange, bounded by its wait, calling
// back while it waits). The station tells the worker what to do by commands on a queue; the
// worker alone holds the settings, the blocks and the connection, and answers with typed
// results.
//
// Use from the window's thread:
//   - construct it once the title is known, with a notify that only posts to the window's thread
//     (it is called on the worker's thread, and never after the destructor has begun);
//   - Configure at every check with what config.ini says now (off without [database]);
//   - Poke after every press, so its row goes at once;
//   - on each notification (and after each check): show the status and log TakeLogLines();
//   - SerialRange in the check and before reserving a board's number, when [serial] names a pool;
//   - LabelPassed before a press with a board label, to learn of PASS rows of other stations.
//
// The worker sends right after a poke or a change of settings, every few seconds while rows
// wait or the database cannot be reached, and otherwise now and then to notice rows nobody
// poked for. Each ODBC call is bounded by the login and query timeouts; a driver that hangs
// beyond them (a server that stopped answering) holds up only the worker: the destructor waits
// for it at most Timing::stopWait, then leaves it to end with the process, and from then on it
// writes no file of the station (a write under way when the destructor gives up ends first).
#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "database/database_status.h"
#include "database/factory_database.h"
#include "database/station_database_config.h"

namespace database {

// How long a check should wait for a new block when the station's are used up: enough for a
// login and a call.
inline constexpr std::chrono::milliseconds kSerialBlockWait{12000};
// How long a press waits for the database's answer on a board label before it goes on with the
// station's own records: a label is scanned on every press, so never long.
inline constexpr std::chrono::milliseconds kLabelAnswerWait{3000};
// How often SerialRange and LabelPassed call back while they wait.
inline constexpr std::chrono::milliseconds kWaitingCallbackInterval{50};

struct WorkerLinks;

class StationDatabase {
public:
    using Notify = std::function<void()>;
    // Called on the station's thread while SerialRange waits (the window repaints).
    using WhileWaiting = std::function<void()>;

    // Starts the worker. title: the application title, whose rows are sent and whose blocks
    // are kept. open: the factory's database, or a test's stand-in.
    StationDatabase(std::string title, Notify notify, Timing timing = {},
                    OpenFactory open = OpenFactoryDatabase);
    // Stops the worker, waiting for it at most Timing::stopWait.
    ~StationDatabase();
    StationDatabase(const StationDatabase&) = delete;
    StationDatabase& operator=(const StationDatabase&) = delete;

    // What config.ini says now; a change goes to the worker (and is logged).
    void Configure(const StationDatabaseConfig& config);
    // A row was written: send now.
    void Poke();

    // The worker's last state; unreachable ("数据库N秒没有应答") while one call has waited
    // longer than Timing::silent.
    DatabaseStatus Status() const;
    // The lines for the daily log since the last call, in order: state changes, refused rows.
    std::vector<std::string> TakeLogLines();

    // The block to reserve the next number from, or why there is none. When the station's
    // blocks are used up, asks the worker for a new one and waits for it at most wait, calling
    // whileWaiting about every kWaitingCallbackInterval meanwhile. Throws what the folder's
    // SerialNumberStore throws (its file damaged or locked too long).
    SerialBlockAnswer SerialRange(std::chrono::milliseconds wait = kSerialBlockWait,
                                  const WhileWaiting& whileWaiting = {});
    // Whether a station (this one or another) has a PASS row of the board label, as the record's
    // field holds it. Asks the worker, which answers before it sends rows, and waits at most
    // wait, calling whileWaiting as SerialRange does; kNoDatabase at once without a database.
    LabelAnswer LabelPassed(const std::string& recordedLabel,
                            std::chrono::milliseconds wait = kLabelAnswerWait,
                            const WhileWaiting& whileWaiting = {});

private:
    std::shared_ptr<WorkerLinks> links_;
    StationDatabaseConfig config_;  // as last configured
    bool configured_ = false;
    std::chrono::milliseconds stopWait_;
    std::future<void> ended_;  // ready once the worker has ended
    std::thread worker_;
};

}  // namespace database
