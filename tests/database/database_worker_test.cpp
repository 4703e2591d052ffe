// The station's database service against a stand-in database that the test holds inside a call:
// what the station sees while the worker is held, and what the worker may still do once the
// station has let go of it.
#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>

#include "csv.h"
#include "database_fixture.h"
#include "factory_database.h"
#include "station_database.h"
#include "temp_folder.h"

namespace {

using database_test::kGenerous;

// What the stand-ins of one test share with it: which calls they hold, and what they answer.
struct StandInControl {
    std::mutex mutex;
    std::condition_variable changed;
    bool holdRows = false;
    bool holdBlocks = false;
    int held = 0;   // calls held now
    int links = 0;  // stand-ins alive: 0 once the worker has ended
    std::uint32_t nextBlock = 1010;

    template <typename Done>
    bool WaitUntil(Done done) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, kGenerous, done);
    }
    template <typename Change>
    void Set(Change change) {
        const std::lock_guard<std::mutex> lock(mutex);
        change();
        changed.notify_all();
    }
    void Release() {
        Set([this] { holdRows = holdBlocks = false; });
    }
    // Waits while the call is held.
    void Pass(const bool& hold) {
        std::unique_lock<std::mutex> lock(mutex);
        if (hold) {
            ++held;
            changed.notify_all();
            changed.wait(lock, [&] { return !hold; });
            --held;
        }
    }
};

class StandInDatabase : public database::FactoryLink {
public:
    explicit StandInDatabase(std::shared_ptr<StandInControl> control)
        : control_(std::move(control)) {
        control_->Set([this] { ++control_->links; });
    }
    ~StandInDatabase() override {
        control_->Set([this] { --control_->links; });
    }
    void Connect() override {}
    void AddRow(const std::string&, const std::string&, const database::RecordFields&) override {
        control_->Pass(control_->holdRows);
    }
    std::optional<serial_numbers::NumberRange> TakeBlock(const std::string&,
                                                         std::uint32_t count) override {
        control_->Pass(control_->holdBlocks);
        const std::lock_guard<std::mutex> lock(control_->mutex);
        const std::uint32_t first = control_->nextBlock;
        control_->nextBlock += count;
        return serial_numbers::NumberRange{first, first + count - 1};
    }

private:
    std::shared_ptr<StandInControl> control_;
};

database::OpenFactory Opener(const std::shared_ptr<StandInControl>& control) {
    return [control](const std::string&, database::Timeouts) {
        return std::make_unique<StandInDatabase>(control);
    };
}

database::StationDatabaseConfig StandInConfig(const test_support::TempFolder& folder) {
    database::StationDatabaseConfig config;
    config.database = database::DatabaseSettings{"DSN=stand-in", "L3-S07"};
    config.recordFolder = config.stationFolder = folder.Path();
    return config;
}

// The destructor leaves a worker held inside a call; when the call returns, the worker writes
// nothing more: neither the ledger of the row it sent nor the block it was given.
TEST(DatabaseWorkerTest, AWorkerLeftBehindWritesNoFile) {
    const struct {
        bool block;  // held taking a block, else sending a row
        std::string file;
    } cases[] = {{false, "sent-to-database.romtool.txt"}, {true, "serial-blocks.romtool.txt"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const test_support::TempFolder folder;
        database::StationDatabaseConfig config = StandInConfig(folder);
        if (c.block) {
            config.pool = database::PoolSettings{"board", 5, ""};
        } else {
            folder.Write("2024-03-05.csv", database_test::RecordText({database_test::Row(
                                               "romtool", database_test::TimeOfDay(1), "1")}));
        }
        const auto control = std::make_shared<StandInControl>();
        (c.block ? control->holdBlocks : control->holdRows) = true;
        {
            database::Timing timing = database_test::ServiceUnderTest::FastTiming();
            timing.stopWait = std::chrono::milliseconds(0);
            database::StationDatabase service(
                "romtool", [] {}, timing, Opener(control));
            service.Configure(config);
            ASSERT_TRUE(control->WaitUntil([&] { return control->held == 1; }));
        }
        control->Release();
        ASSERT_TRUE(control->WaitUntil([&] { return control->links == 0; }));  // it has ended
        EXPECT_FALSE(folder.Exists(c.file));
    }
}

}  // namespace
