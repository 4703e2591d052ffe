// What the station's database service is told by config.ini, and the times it keeps.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "database/database_settings.h"
#include "odbc/odbc.h"

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
    odbc::Timeouts odbc;                       // each call's login and query timeout
    std::chrono::milliseconds retry{3000};     // between rounds while rows wait or it fails
    std::chrono::milliseconds idle{10000};     // between rounds otherwise
    std::chrono::milliseconds stopWait{3000};  // how long the destructor waits for the worker
    // How long one call may go unanswered before the state says so (a server that stopped
    // answering holds a call beyond its timeouts, until the network gives up).
    std::chrono::milliseconds silent{12000};
};

}  // namespace database
