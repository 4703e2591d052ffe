// The factory's database under load, against the PostgreSQL of scripts/with-postgresql
// (scripts/lib/database-bench.sh runs it):
//
//   database_bench deliver <folder> <title> <rows>
//       one station of twenty: a day of rows in its record, sent by the station's service until
//       all are delivered (the script times twenty at once)
//   database_bench anchor <title> <rows>
//       the least any sender does: the same rows, one add_record_row call each, one connection
//   database_bench press <pairs>
//       presses of the start button of a station whose config.ini names the database (its
//       service sends each press's row at once), against presses of a station without it;
//       prints each press as a record
//       "p<pair> press_database_on|press_database_off <seconds>" (paired_runs.h)
//
// Exit code 1, after saying why, when anything failed.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "bench_station.h"
#include "database/factory_database.h"
#include "database/station_database.h"
#include "paired_runs.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "record/csv.h"
#include "record/record_columns.h"
#include "scratch_folder.h"

namespace {

std::string Connection() {
    const char* connection = std::getenv("ROMTOOL_PG_STATION");
    if (!connection) {
        throw std::runtime_error(
            "ROMTOOL_PG_STATION is not set: run through scripts/with-postgresql");
    }
    return connection;
}

// Row n of a station's day, as the station writes it: one a second from 06:00 on.
database::RecordFields Row(const std::string& title, int n) {
    char time[32];
    std::snprintf(time, sizeof time, "2024-03-05T%02d:%02d:%02d.000", 6 + n / 3600, n / 60 % 60,
                  n % 60);
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
            std::to_string(100000 + n),
            ""};
}

// The service of a station, and a wait for its rows to be delivered.
class Service {
public:
    Service(const std::string& title, const std::string& recordFolder)
        : service_(title, [this] {
              const std::lock_guard<std::mutex> lock(mutex_);
              changed_.notify_all();
          }) {
        database::StationDatabaseConfig config;
        config.database = database::DatabaseSettings{Connection(), title};
        config.recordFolder = config.stationFolder = recordFolder;
        service_.Configure(config);
    }
    database::StationDatabase& Get() { return service_; }
    void WaitUntilDelivered() {
        std::unique_lock<std::mutex> lock(mutex_);
        const bool delivered = changed_.wait_for(lock, std::chrono::minutes(5), [&] {
            const database::DatabaseStatus status = service_.Status();
            return status.state == database::DatabaseStatus::State::kConnected &&
                   status.waiting == 0;
        });
        if (!delivered) {
            throw std::runtime_error(database::StatusLogLine(service_.Status()));
        }
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    database::StationDatabase service_;  // last: its worker may notify as soon as it runs
};

void Deliver(const std::string& folder, const std::string& title, int rows) {
    std::string text = "\xEF\xBB\xBF" + record::HeaderRow();
    for (int n = 0; n < rows; ++n) {
        text += record::RowText(Row(title, n));
    }
    os::ReplaceFileContent(folder + "2024-03-05.csv", text);
    Service service(title, folder);
    service.WaitUntilDelivered();
}

void Anchor(const std::string& title, int rows) {
    database::FactoryDatabase database(Connection());
    for (int n = 0; n < rows; ++n) {
        const database::RecordFields row = Row(title, n);
        database.AddRow(database::DeliveryKey(title, row), title, row);
    }
}

// Waits until the station's service has delivered every row, looking every 10 ms.
void WaitUntilDelivered(const TRomForm& form) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    for (;;) {
        const database::DatabaseStatus status = form.Database()->Status();
        if (status.state == database::DatabaseStatus::State::kConnected && status.waiting == 0) {
            return;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            throw std::runtime_error(database::StatusLogLine(status));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void Press(int pairs) {
    const bench::ScratchFolder onFolder("romtool-database-on");
    const bench::ScratchFolder offFolder("romtool-database-off");
    bench::LayOutStation(onFolder.Path(), ROMTOOL_BENCH_STANDIN);
    bench::LayOutStation(offFolder.Path(), ROMTOOL_BENCH_STANDIN);
    os::OpenForAppending(onFolder.Path() + "config.ini")
        .Write("[database]\r\nconnection=" + Connection() + "\r\nstation=bench\r\n");
    bench::PressedStation on(onFolder.Path());
    bench::PressedStation off(offFolder.Path());
    const auto press = [](bench::PressedStation& station) {
        if (!station.Press()) {
            throw std::runtime_error("a press did not PASS");
        }
    };
    const bench::Side withDatabase{"press_database_on", bench::Timed([&] { press(on); })};
    const bench::Side without{"press_database_off", bench::Timed([&] { press(off); })};
    bench::RunPairs(withDatabase, without, pairs, "p");
    WaitUntilDelivered(on.Form());
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::string mode = argc > 1 ? argv[1] : "";
        if (mode == "deliver" && argc == 5) {
            Deliver(os::FromAnsi(argv[2]) + os::kPathSeparator, argv[3], std::atoi(argv[4]));
        } else if (mode == "anchor" && argc == 4) {
            Anchor(argv[2], std::atoi(argv[3]));
        } else if (mode == "press" && argc == 3) {
            Press(std::max(1, std::atoi(argv[2])));
        } else {
            std::fputs("usage: database_bench deliver|anchor|press ...\n", stderr);
            return 2;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "database_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
