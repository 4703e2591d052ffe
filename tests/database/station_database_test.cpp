// The station's database service against a real PostgreSQL (scripts/with-postgresql): rows
// delivered once and in order, the database away at the start and in the middle of a day, rows
// it refuses, credentials it refuses, a slow database, and serial number blocks.
#include "database/station_database.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "database/factory_database.h"
#include "database_fixture.h"
#include "platform/files.h"
#include "record/csv.h"
#include "record/record_columns.h"
#include "serial_numbers/serial_number_store.h"
#include "station/check/database_texts.h"
#include "temp_folder.h"

using namespace station;

namespace {

using database::DatabaseStatus;
using database_test::Admin;
using database_test::kGenerous;
using database_test::Row;
using database_test::ServiceUnderTest;
using database_test::TimeOfDay;
using testing::HasSubstr;
using State = DatabaseStatus::State;

bool Away(const DatabaseStatus& status) {
    return status.state == State::kUnreachable;
}

class StationDatabaseTest : public testing::Test {
protected:
    void SetUp() override { database_test::EmptyTables(); }
    void TearDown() override {
        database_test::BringDatabaseBack();
        Admin(
            "DO $$ BEGIN ALTER FUNCTION romtool.label_passed_away(varchar) RENAME TO label_passed;"
            " EXCEPTION WHEN undefined_function THEN NULL; END $$");
        Admin("DROP TRIGGER IF EXISTS slow ON romtool.production_record");
    }

    database::StationDatabaseConfig Config(const std::string& connection) const {
        database::StationDatabaseConfig config;
        config.database = database::DatabaseSettings{connection, "L3-S07"};
        config.recordFolder = config.stationFolder = folder_.Path();
        return config;
    }
    database::StationDatabaseConfig Config() const {
        return Config(database_test::StationConnection());
    }
    void Press(const database::RecordFields& row) {
        const std::string name = "2024-03-05.csv";
        if (!folder_.Exists(name)) {
            folder_.Write(name, database_test::RecordText({}));
        }
        os::OpenForAppending(folder_ / name).Write(record::RowText(row));
    }
    void Press(int first, int last) {
        for (int n = first; n <= last; ++n) {
            Press(Row("romtool", TimeOfDay(n), std::to_string(n)));
        }
    }
    // The serial numbers of the table's rows, in the order they arrived.
    static std::vector<std::string> Arrived() {
        std::vector<std::string> serials;
        for (const auto& row :
             Admin("SELECT serial_number FROM romtool.production_record ORDER BY id")) {
            serials.push_back(row[0].value_or("NULL"));
        }
        return serials;
    }
    static std::vector<std::string> Numbers(int first, int last) {
        std::vector<std::string> numbers;
        for (int n = first; n <= last; ++n) {
            numbers.push_back(std::to_string(n));
        }
        return numbers;
    }

    test_support::TempFolder folder_;
};

TEST_F(StationDatabaseTest, RowsArriveOnceAndInOrderWithTheirTextAsWritten) {
    database::RecordFields chinese = Row("romtool", TimeOfDay(2), "2");
    chinese[record::IndexOf(record::Column::kStationFolder)] = "C:\\工位 한글\\";
    chinese[record::IndexOf(record::Column::kFixture)] = "A";
    Press(1, 1);
    Press(chinese);
    Press(chinese);  // written twice by a crash: one row
    ServiceUnderTest station("romtool", Config());
    ASSERT_TRUE(station.WaitFor(database_test::Delivered));
    EXPECT_EQ(station::StatusText(station.Service().Status()), "数据库：已连接");
    Press(3, 3);
    station.Service().Poke();
    ASSERT_TRUE(station.WaitFor(database_test::Delivered));

    EXPECT_EQ(Arrived(), Numbers(1, 3));
    const auto rows = Admin(
        "SELECT station, \"time\", station_folder, verdict, error_code, device_id, same_chip_as, "
        "fixture FROM romtool.production_record WHERE serial_number = 2");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "L3-S07");
    EXPECT_EQ(rows[0][1], TimeOfDay(2));
    EXPECT_EQ(rows[0][2], "C:\\工位 한글\\");
    EXPECT_EQ(rows[0][3], "PASS");
    EXPECT_EQ(rows[0][4], "0");
    EXPECT_EQ(rows[0][5], "F00DCAFE12345678");
    EXPECT_EQ(rows[0][6], std::nullopt);  // an empty field is NULL
    EXPECT_EQ(rows[0][7], "A");
}

TEST_F(StationDatabaseTest, RowsWaitWhileTheDatabaseIsAwayAndFollowInOrderOnceItIsBack) {
    database_test::TakeDatabaseAway();
    Press(1, 3);
    ServiceUnderTest station("romtool", Config());
    ASSERT_TRUE(station.WaitFor([](const DatabaseStatus& s) { return Away(s) && s.waiting == 3; }));
    EXPECT_THAT(station::StatusText(station.Service().Status()),
                testing::StartsWith("数据库：无法连接（"));
    EXPECT_THAT(station::StatusText(station.Service().Status()), HasSubstr("3 条待发送"));

    database_test::BringDatabaseBack();
    ASSERT_TRUE(station.WaitFor(database_test::Delivered));
    database_test::TakeDatabaseAway();  // in the middle of the day
    Press(4, 5);
    station.Service().Poke();
    ASSERT_TRUE(station.WaitFor([](const DatabaseStatus& s) { return Away(s) && s.waiting == 2; }));
    database_test::BringDatabaseBack();
    ASSERT_TRUE(station.WaitFor(database_test::Delivered));

    EXPECT_EQ(Arrived(), Numbers(1, 5));
    std::vector<std::string> states;
    for (const std::string& line : station.LogLines()) {
        if (line.rfind("数据库：已连接", 0) == 0 || line.rfind("数据库：无法连接", 0) == 0) {
            states.push_back(line.substr(0, line.find("，")));
        }
    }
    EXPECT_THAT(states,
                testing::ElementsAre(testing::StartsWith("数据库：无法连接"), "数据库：已连接",
                                     testing::StartsWith("数据库：无法连接"), "数据库：已连接"));
}

TEST_F(StationDatabaseTest, ARefusedRowIsShownWithItsReasonAndTheNextRowsGo) {
    const struct {
        record::Column column;
        std::string value;
        std::string reason;
    } cases[] = {
        {record::Column::kDeviceId, "F00DCAFE123456789", "too long"},
        {record::Column::kTime, "2024-03-05T25:00:00.000", "out of range"},
        {record::Column::kRunMs, "12x", "invalid input syntax"},
    };
    int n = 0;  // good rows are odd, refused ones even
    for (const auto& c : cases) {
        Press(n + 1, n + 1);
        database::RecordFields bad = Row("romtool", TimeOfDay(n + 2), std::to_string(n + 2));
        bad[record::IndexOf(c.column)] = c.value;
        Press(bad);
        n += 2;
    }
    Press(n + 1, n + 1);
    ServiceUnderTest station("romtool", Config());
    ASSERT_TRUE(station.WaitFor(
        [](const DatabaseStatus& s) { return database_test::Delivered(s) && s.refused == 3; }));
    EXPECT_EQ(Arrived(), (std::vector<std::string>{"1", "3", "5", "7"}));
    EXPECT_EQ(station::StatusText(station.Service().Status()),
              "数据库：已连接，3 条被拒收（见日志）");
    std::string refusals;
    for (const std::string& line : station.LogLines()) {
        if (line.rfind("数据库拒收了", 0) == 0) {
            refusals += line + "\n";
        }
    }
    for (const auto& c : cases) {
        EXPECT_THAT(refusals, HasSubstr(c.reason));
    }
    EXPECT_THAT(refusals, HasSubstr("数据库拒收了2024-03-05.csv第3行："));
}

TEST_F(StationDatabaseTest, RefusedCredentialsAreShownAndThePasswordNowhere) {
    std::string connection = database_test::StationConnection();
    connection = connection.substr(0, connection.find(";Pwd=")) + ";Pwd={wrong;secret}}1}";
    Press(1, 1);
    ServiceUnderTest station("romtool", Config(connection));
    ASSERT_TRUE(station.WaitFor(Away));
    const std::string reason = station.Service().Status().reason;
    EXPECT_THAT(reason, HasSubstr("password authentication failed"));
    std::string everything = reason + station::StatusText(station.Service().Status());
    for (const std::string& line : station.LogLines()) {
        everything += line;
    }
    EXPECT_THAT(everything, HasSubstr("Pwd=***"));
    EXPECT_THAT(everything, testing::Not(HasSubstr("secret")));
}

// The worker waits on a lock the test holds, inside the row's insert: whatever the station
// calls meanwhile returns, and the destructor lets go of a worker that stays stuck.
TEST_F(StationDatabaseTest, ASlowDatabaseHoldsUpOnlyTheWorker) {
    Admin(
        "CREATE OR REPLACE FUNCTION romtool.slow() RETURNS trigger LANGUAGE plpgsql AS $$ "
        "BEGIN PERFORM pg_advisory_xact_lock(27); RETURN NEW; END $$");
    Admin(
        "CREATE OR REPLACE TRIGGER slow BEFORE INSERT ON romtool.production_record "
        "FOR EACH ROW EXECUTE FUNCTION romtool.slow()");
    auto holder = odbc::OdbcConnection::Open(database_test::AdminConnection(), {});
    holder.Execute("SELECT pg_advisory_lock(27)", {});
    const auto waiting = [] {
        return !Admin("SELECT 1 FROM pg_locks WHERE locktype = 'advisory' AND NOT granted").empty();
    };
    Press(1, 1);
    database::Timing timing = ServiceUnderTest::FastTiming();
    timing.odbc.query = std::chrono::seconds(120);
    timing.stopWait = std::chrono::milliseconds(200);
    timing.silent = std::chrono::milliseconds(0);
    {
        ServiceUnderTest station("romtool", Config(), timing);
        const auto deadline = std::chrono::steady_clock::now() + database_test::kGenerous;
        while (!waiting()) {  // each look is a query of its own: no sleep needed
            ASSERT_LT(std::chrono::steady_clock::now(), deadline);
        }
        station.Service().Poke();
        station.Service().Configure(Config());
        const DatabaseStatus stuck = station.Service().Status();
        EXPECT_EQ(stuck.state, State::kUnreachable);
        EXPECT_THAT(stuck.reason,
                    testing::AllOf(testing::StartsWith("数据库"), HasSubstr("秒没有应答")));
        station.Service().TakeLogLines();
        EXPECT_EQ(
            station::SerialBlockReason(station.Service().SerialRange(std::chrono::milliseconds(0))),
            "config.ini的[serial]中没有pool");
    }  // the worker is still inside the insert: the destructor leaves it
    holder.Execute("SELECT pg_advisory_unlock(27)", {});
    // Taken again once the worker's insert has ended, and with it its hold of the lock.
    holder.Execute("SELECT pg_advisory_lock(27)", {});
    EXPECT_EQ(Admin("SELECT count(*) FROM romtool.production_record")[0][0], "1");
}

TEST_F(StationDatabaseTest, NumbersComeFromBlocksOfThePoolAlsoWhileTheDatabaseIsAway) {
    database_test::AddPool("board", 1000, 1011);
    database::StationDatabaseConfig config = Config();
    config.pool = database::PoolSettings{"board", 5, ""};
    const serial_numbers::SerialNumberStore store(folder_.Path());
    std::vector<std::uint32_t> issued;
    const auto reserve = [&](database::StationDatabase& service, int count) {
        for (int i = 0; i < count; ++i) {
            const database::SerialBlockAnswer answer = service.SerialRange();
            ASSERT_TRUE(answer.range) << station::SerialBlockReason(answer);
            const auto number = store.Reserve("romtool", *answer.range).number;
            ASSERT_TRUE(number);
            issued.push_back(*number);
            store.Settle("romtool", *number);
            service.Poke();
        }
    };
    {
        ServiceUnderTest station("romtool", config);
        reserve(station.Service(), 6);  // the first block, and one of the second
    }
    database_test::TakeDatabaseAway();
    ServiceUnderTest restarted("romtool", config);
    reserve(restarted.Service(), 4);  // the rest of the second block, kept on disk
    const database::SerialBlockAnswer away = restarted.Service().SerialRange();
    EXPECT_FALSE(away.range);
    EXPECT_THAT(station::SerialBlockMessage(away),
                testing::StartsWith("ERROR:本工位的序列号号段已用完，数据库无法连接（"));
    database_test::BringDatabaseBack();
    reserve(restarted.Service(), 2);
    EXPECT_EQ(station::SerialBlockReason(restarted.Service().SerialRange()),
              "数据库中的序列号池board已用完");

    std::vector<std::uint32_t> expected(12);
    std::iota(expected.begin(), expected.end(), 1000u);
    EXPECT_EQ(issued, expected);
}

TEST_F(StationDatabaseTest, TheStationRoleCannotChangeOrReadHistoryNorMoveAPool) {
    Press(1, 1);
    {
        ServiceUnderTest station("romtool", Config());
        ASSERT_TRUE(station.WaitFor(database_test::Delivered));
    }
    database_test::AddPool("board", 1, 100);
    auto connection = odbc::OdbcConnection::Open(database_test::StationConnection(), {});
    for (const char* sql : {
             "UPDATE romtool.production_record SET verdict = 'PASS'",
             "DELETE FROM romtool.production_record",
             "SELECT count(*) FROM romtool.production_record",
             "UPDATE romtool.serial_pool SET next_number = 1",
             "INSERT INTO romtool.serial_pool VALUES ('mine', 1, 10)",
         }) {
        try {
            connection.Execute(sql, {});
            ADD_FAILURE() << sql << " was allowed";
        } catch (const odbc::OdbcError& error) {
            EXPECT_EQ(error.SqlState(), "42501") << sql << ": " << error.what();
        }
    }
    EXPECT_EQ(Admin("SELECT count(*), min(verdict) FROM romtool.production_record")[0],
              (odbc::ResultRow{"1", "PASS"}));
    EXPECT_EQ(Admin("SELECT next_number FROM romtool.serial_pool")[0][0], "1");
}

// romtool.label_passed, called with the station's login: the first PASS row of a label at any
// station, none for a label that only failed; a database made before the procedure says so.
TEST_F(StationDatabaseTest, TheDatabaseTellsWhichStationPassedALabel) {
    const auto labelled = [](int second, const char* verdict, const char* label) {
        database::RecordFields row = Row("romtool", TimeOfDay(second), std::to_string(second));
        row[record::IndexOf(record::Column::kVerdict)] = verdict;
        row[record::IndexOf(record::Column::kBoardLabel)] = label;
        return row;
    };
    Press(labelled(1, "FAIL", "PCB-FAILED"));
    Press(labelled(2, "FAIL", "PCB-PASSED"));
    Press(labelled(3, "PASS", "PCB-PASSED"));
    Press(labelled(4, "PASS", "PCB-PASSED"));  // a rework: the first PASS is named
    database::StationDatabaseConfig other = Config();
    other.database->station = "L3-S02";
    {
        ServiceUnderTest station("romtool", other);
        ASSERT_TRUE(station.WaitFor(database_test::Delivered));
    }
    const test_support::TempFolder empty;
    database::StationDatabaseConfig asking = Config();
    asking.recordFolder = asking.stationFolder = empty.Path();
    ServiceUnderTest station("romtool", asking);
    using Kind = database::LabelAnswer::Kind;
    const database::LabelAnswer passed = station.Service().LabelPassed("PCB-PASSED", kGenerous);
    EXPECT_EQ(passed.kind, Kind::kPassed) << passed.detail;
    EXPECT_EQ(passed.station, "L3-S02");
    EXPECT_EQ(passed.time, TimeOfDay(3));
    EXPECT_EQ(station.Service().LabelPassed("PCB-FAILED", kGenerous).kind, Kind::kNotPassed);
    EXPECT_EQ(station.Service().LabelPassed("PCB-NEVER", kGenerous).kind, Kind::kNotPassed);

    Admin("ALTER FUNCTION romtool.label_passed(varchar) RENAME TO label_passed_away");
    EXPECT_EQ(station.Service().LabelPassed("PCB-PASSED", kGenerous).kind, Kind::kNoProcedure);
}

// A missing procedure is told by codes, never by the message's words: SQL Server's 42000 is also
// a syntax error or a missing right, whose message may name the procedure as well.
TEST(NoSuchProcedure, IsToldBySqlStateAndNativeError) {
    struct Case {
        const char* state;
        std::int32_t native;
        const char* message;
        bool missing;
    };
    const Case cases[] = {
        {"42883", 0, "ERROR: function romtool.label_passed(unknown) does not exist", true},
        {"42000", 2812, "Could not find stored procedure 'romtool.label_passed'.", true},
        {"42000", 102, "Incorrect syntax near 'label_passed'.", false},
        {"42000", 229, "The EXECUTE permission was denied on the object 'label_passed'.", false},
        {"08S01", 0, "label_passed: communication link failure", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(database::NoSuchProcedure(odbc::OdbcError(c.state, c.message, c.native)),
                  c.missing)
            << c.message;
    }
}

}  // namespace
