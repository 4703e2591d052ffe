// A station as the load tests run it, twenty at a time, against the PostgreSQL of
// scripts/with-postgresql (ROMTOOL_PG_STATION):
//   database_station_helper rows <folder> <title> <count>
//       presses count times: appends a row to the folder's record and pokes the station's
//       service, then waits until every row is delivered; prints "delivered"
//   database_station_helper blocks <pool> <size> <count>
//       takes count blocks of size numbers from the pool; prints each "first last"
// (the folder without its last separator). Exit code 0 when all went well.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <string>

#include "database/factory_database.h"
#include "database_fixture.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "record/csv.h"

namespace {

int Press(const std::string& folder, const std::string& title, int count) {
    const std::string record = folder + "2024-03-05.csv";
    os::ReplaceFileContent(record, database_test::RecordText({}));
    database::StationDatabaseConfig config;
    config.database = database::DatabaseSettings{database_test::StationConnection(), title};
    config.recordFolder = config.stationFolder = folder;
    database_test::ServiceUnderTest station(title, config);
    for (int n = 0; n < count; ++n) {
        os::OpenForAppending(record).Write(record::RowText(
            database_test::Row(title, database_test::TimeOfDay(n), std::to_string(n))));
        station.Service().Poke();
    }
    if (!station.WaitFor(database_test::Delivered)) {
        std::fprintf(stderr, "not delivered: %s\n",
                     database::StatusLogLine(station.Service().Status()).c_str());
        return 1;
    }
    std::puts("delivered");
    return 0;
}

int TakeBlocks(const std::string& pool, std::uint32_t size, int count) {
    database::FactoryDatabase factory(database_test::StationConnection());
    for (int n = 0; n < count; ++n) {
        const auto block = factory.TakeBlock(pool, size);
        if (!block) {
            std::puts("used up");
            return 1;
        }
        std::printf("%lu %lu\n", static_cast<unsigned long>(block->first),
                    static_cast<unsigned long>(block->last));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::string mode = argc == 5 ? argv[1] : "";
        if (mode == "rows") {
            return Press(os::FromAnsi(argv[2]) + os::kPathSeparator, argv[3], std::atoi(argv[4]));
        }
        if (mode == "blocks") {
            return TakeBlocks(argv[2], static_cast<std::uint32_t>(std::atoi(argv[3])),
                              std::atoi(argv[4]));
        }
        std::fputs("usage: database_station_helper rows|blocks ...\n", stderr);
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ERROR: %s\n", error.what());
        return 1;
    }
}
