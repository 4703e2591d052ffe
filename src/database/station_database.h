// The factory's database as a station service: one worker thread, owned by this object, sends
// the record's rows (record_delivery.h) and takes serial number blocks (serial_blocks.h), so
// that the window's thread never waits on the database, except when a press needs a new block
// and none is left (SerialRange, bounded by its wait).
//
// Use from the window's thread:
//   - construct it once the title is known, with a notify that only posts to the window's thread
//     (it is called on the worker's thread, and never after the destructor has begun);
//   - Configure at every check with what config.ini says now (off without [database]);
//   - Poke after every press, so its row goes at once;
//   - on each notification (and after each check): show StatusText(Status()) and log
//     TakeLogLines();
//   - SerialRange in the check and before reserving a board's number, when [serial] names a pool.
//
// The worker sends right after a poke or a change of settings, every few seconds while rows
// wait or the database cannot be reached, and otherwise now and then to notice rows nobody
// poked for. Each ODBC call is bounded by the login and query timeouts; a driver that hangs
// beyond them (a server that stopped answering) holds up only the worker: the destructor waits
// for it at most Timing::stopWait, then leaves it to end with the process.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "database_settings.h"
#include "database_status.h"
#include "factory_database.h"
#include "odbc.h"

namespace database {

struct StationDatabaseConfig {
    std::optional<DatabaseSettings> database;  // none: nothing is sent, no pool is used
    std::optional<PoolSettings> pool;          // [serial] pool=, when given
    std::string recordFolder;   // the folder of the day's CSV files, ending in the separator
    std::string stationFolder;  // the station program's folder (serial-numbers.txt)

    friend bool operator==(const StationDatabaseConfig& a, const StationDatabaseConfig& b) {
        return a.database == b.database && a.pool == b.pool && a.recordFolder == b.recordFolder &&
               a.stationFolder == b.stationFolder;
    }
    friend bool operator!=(const StationDatabaseConfig& a, const StationDatabaseConfig& b) {
        return !(a == b);
    }
};

struct Timing {
    Timeouts odbc;                             // each call's login and query timeout
    std::chrono::milliseconds retry{3000};     // between rounds while rows wait or it fails
    std::chrono::milliseconds idle{10000};     // between rounds otherwise
    std::chrono::milliseconds stopWait{3000};  // how long the destructor waits for the worker
    // How long one call may go unanswered before the state says so (a server that stopped
    // answering holds a call beyond its timeouts, until the network gives up).
    std::chrono::milliseconds silent{12000};
};

// How long a check should wait for a new block when the station's are used up: enough for a
// login and a call.
inline constexpr std::chrono::milliseconds kSerialBlockWait{12000};

class StationDatabase {
public:
    using Notify = std::function<void()>;

    // Starts the worker. title: the application title, whose rows are sent and whose blocks
    // are kept. open: the factory's database, or a test's stand-in.
    StationDatabase(std::string title, Notify notify, Timing timing = {},
                    OpenFactory open = OpenFactoryDatabase);
    ~StationDatabase();
    StationDatabase(const StationDatabase&) = delete;
    StationDatabase& operator=(const StationDatabase&) = delete;

    // What config.ini says now; a change wakes the worker (and is logged).
    void Configure(const StationDatabaseConfig& config);
    // A row was written: send now.
    void Poke();

    // The worker's last state; unreachable ("数据库N秒没有应答") while one call has waited
    // longer than Timing::silent.
    DatabaseStatus Status() const;
    // The lines for the daily log since the last call, in order: state changes, refused rows.
    std::vector<std::string> TakeLogLines();

    // The block to reserve the next number from. When the station's blocks are used up, asks
    // the worker for a new one and waits for it at most wait; the answer's problem then says
    // why there is none (the database cannot be reached, the pool is used up or unknown).
    // Throws what the folder's SerialNumberStore throws (its file damaged or locked too long).
    SerialBlockAnswer SerialRange(std::chrono::milliseconds wait = kSerialBlockWait);

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
    std::thread worker_;
};

}  // namespace database
