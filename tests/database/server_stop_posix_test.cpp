// The database server itself stopped in the middle of a day and started again (pg_ctl through
// ROMTOOL_PG_CTL): the connection is refused, rows wait, and all of them follow once, in order.
#include <gtest/gtest.h>

#include <cstdlib>

#include "database_fixture.h"
#include "platform/files.h"
#include "record/csv.h"
#include "temp_folder.h"

namespace {

using database_test::Admin;
using database_test::Row;
using database_test::TimeOfDay;

void Server(const std::string& what) {
    const char* control = std::getenv("ROMTOOL_PG_CTL");
    ASSERT_NE(control, nullptr) << "run the tests through scripts/with-postgresql";
    ASSERT_EQ(std::system((std::string(control) + " " + what + " >/dev/null").c_str()), 0);
}

TEST(ServerStopped, InTheMiddleOfADayEveryRowFollowsOnceInOrderWhenItIsBack) {
    database_test::EmptyTables();
    test_support::TempFolder folder;
    const std::string record = folder / "2024-03-05.csv";
    folder.Write("2024-03-05.csv", database_test::RecordText({}));
    const auto press = [&](int n) {
        os::OpenForAppending(record).Write(
            record::RowText(Row("romtool", TimeOfDay(n), std::to_string(n))));
    };
    database::StationDatabaseConfig config;
    config.database = database::DatabaseSettings{database_test::StationConnection(), "L3-S07"};
    config.recordFolder = config.stationFolder = folder.Path();
    database_test::ServiceUnderTest station("romtool", config);
    press(1);
    station.Service().Poke();
    ASSERT_TRUE(station.WaitFor(database_test::Delivered));

    Server("stop");
    press(2);
    press(3);
    station.Service().Poke();
    ASSERT_TRUE(station.WaitFor([](const database::DatabaseStatus& s) {
        return s.state == database::DatabaseStatus::State::kUnreachable && s.waiting == 2;
    }));
    Server("start");
    ASSERT_TRUE(station.WaitFor(database_test::Delivered));

    const auto rows = Admin(
        "SELECT string_agg(serial_number::text, ',' ORDER BY id), count(*) "
        "FROM romtool.production_record");
    EXPECT_EQ(rows[0], (odbc::ResultRow{"1,2,3", "3"}));
}

}  // namespace
