// What the database's tests share: the PostgreSQL that scripts/with-postgresql started for them
// (its connection strings in the environment), record files written as the station writes them,
// and a station service whose state the test waits on.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "database/record_delivery.h"
#include "database/station_database.h"
#include "odbc/odbc.h"

namespace database_test {

// Far beyond anything the tests wait for; reached only when something is broken.
inline constexpr std::chrono::seconds kGenerous{60};

// The connection strings of the station, the report and the superuser logins.
std::string StationConnection();
std::string ReportConnection();
std::string AdminConnection();
// Runs sql as the superuser in the database romtool (postgres with onServer).
std::vector<odbc::ResultRow> Admin(const std::string& sql,
                                   const std::vector<odbc::Parameter>& parameters = {},
                                   bool onServer = false);
// The database is away for the stations: it takes no connection and theirs are ended. And back.
void TakeDatabaseAway();
void BringDatabaseBack();
// An empty record table and pool table, so each test counts its own.
void EmptyTables();
// A pool of first to last.
void AddPool(const std::string& name, std::uint32_t first, std::uint32_t last);

// A record row as the station writes its fields.
database::RecordFields Row(const std::string& title, const std::string& time,
                           const std::string& serial = "");
// A record file's text: the byte-order mark, the header and the rows.
std::string RecordText(const std::vector<database::RecordFields>& rows);
// A time of 2024-03-05 at the given second of the day (and millisecond), as the record writes it.
std::string TimeOfDay(int second, int millisecond = 0);

// The station service, with a notification the test can wait on.
class ServiceUnderTest {
public:
    ServiceUnderTest(const std::string& title, const database::StationDatabaseConfig& config,
                     database::Timing timing = FastTiming());
    ~ServiceUnderTest();

    database::StationDatabase& Service() { return *service_; }
    // Waits until the status satisfies done; false when kGenerous passed first.
    bool WaitFor(const std::function<bool(const database::DatabaseStatus&)>& done);
    // Every log line taken so far.
    const std::vector<std::string>& LogLines();

    static database::Timing FastTiming();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t notifications_ = 0;
    std::vector<std::string> lines_;
    std::unique_ptr<database::StationDatabase> service_;
};

bool Delivered(const database::DatabaseStatus& status);

}  // namespace database_test
