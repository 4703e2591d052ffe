#include "database_fixture.h"

#include <cstdlib>
#include <stdexcept>

#include "record/csv.h"
#include "record/record_columns.h"

namespace database_test {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) {
        throw std::runtime_error(std::string(name) +
                                 " is not set: run the tests through scripts/with-postgresql");
    }
    return value;
}

}  // namespace

std::string StationConnection() {
    return Environment("ROMTOOL_PG_STATION");
}
std::string ReportConnection() {
    return Environment("ROMTOOL_PG_REPORT");
}
std::string AdminConnection() {
    return Environment("ROMTOOL_PG_ADMIN");
}

std::vector<odbc::ResultRow> Admin(const std::string& sql,
                                   const std::vector<odbc::Parameter>& parameters, bool onServer) {
    std::string connection = AdminConnection();
    if (onServer) {
        const std::string database = "Database=romtool";
        connection.replace(connection.find(database), database.size(), "Database=postgres");
    }
    return odbc::OdbcConnection::Open(connection, {}).Execute(sql, parameters);
}

void TakeDatabaseAway() {
    Admin("ALTER DATABASE romtool WITH ALLOW_CONNECTIONS false", {}, true);
    Admin("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = 'romtool'", {},
          true);
}

void BringDatabaseBack() {
    Admin("ALTER DATABASE romtool WITH ALLOW_CONNECTIONS true", {}, true);
}

void EmptyTables() {
    Admin("TRUNCATE romtool.production_record, romtool.serial_pool RESTART IDENTITY");
}

void AddPool(const std::string& name, std::uint32_t first, std::uint32_t last) {
    Admin(
        "INSERT INTO romtool.serial_pool (pool_name, next_number, last_number) "
        "VALUES (?, CAST(? AS bigint), CAST(? AS bigint))",
        {name, std::to_string(first), std::to_string(last)});
}

database::RecordFields Row(const std::string& title, const std::string& time,
                           const std::string& serial) {
    return {time,
            title,
            "C:\\Station\\",
            "682123456",
            "C:\\Station\\merge.hex",
            "9F1C0A7E5B3D2C41A8E6F0B7D9C3E215",
            "yes",
            "PASS",
            "0",
            "4857",
            "no",
            "0",
            "682123456",
            "F00DCAFE12345678",
            serial,
            ""};
}

std::string RecordText(const std::vector<database::RecordFields>& rows) {
    std::string text = "\xEF\xBB\xBF" + record::HeaderRow();
    for (const database::RecordFields& row : rows) {
        text += record::RowText(row);
    }
    return text;
}

std::string TimeOfDay(int second, int millisecond) {
    char text[32];
    std::snprintf(text, sizeof text, "2024-03-05T%02d:%02d:%02d.%03d", second / 3600 % 24,
                  second / 60 % 60, second % 60, millisecond % 1000);
    return text;
}

ServiceUnderTest::ServiceUnderTest(const std::string& title,
                                   const database::StationDatabaseConfig& config,
                                   database::Timing timing) {
    service_ = std::make_unique<database::StationDatabase>(
        title,
        [this] {
            const std::lock_guard<std::mutex> lock(mutex_);
            ++notifications_;
            changed_.notify_all();
        },
        timing);
    service_->Configure(config);
}

ServiceUnderTest::~ServiceUnderTest() = default;

bool ServiceUnderTest::WaitFor(const std::function<bool(const database::DatabaseStatus&)>& done) {
    const auto deadline = std::chrono::steady_clock::now() + kGenerous;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        const std::uint64_t seen = notifications_;
        lock.unlock();
        LogLines();
        const bool finished = done(service_->Status());
        lock.lock();
        if (finished) {
            return true;
        }
        if (!changed_.wait_until(lock, deadline, [&] { return notifications_ != seen; })) {
            return false;
        }
    }
}

const std::vector<std::string>& ServiceUnderTest::LogLines() {
    for (std::string& line : service_->TakeLogLines()) {
        lines_.push_back(std::move(line));
    }
    return lines_;
}

database::Timing ServiceUnderTest::FastTiming() {
    database::Timing timing;
    timing.odbc = {std::chrono::seconds(3), std::chrono::seconds(2)};
    timing.retry = std::chrono::milliseconds(100);
    timing.idle = std::chrono::milliseconds(1000);
    timing.stopWait = std::chrono::milliseconds(10000);
    return timing;
}

bool Delivered(const database::DatabaseStatus& status) {
    return status.state == database::DatabaseStatus::State::kConnected && status.waiting == 0;
}

}  // namespace database_test
