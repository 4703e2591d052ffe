// The station's database service against a stand-in database that the test holds inside a call:
// what the station sees while the worker is held, and what the worker may still do once the
// station has let go of it.
#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>

#include "database/factory_database.h"
#include "database/serial_blocks.h"
#include "database/station_database.h"
#include "database_fixture.h"
#include "record/csv.h"
#include "station/check/database_texts.h"
#include "temp_folder.h"

using namespace station;

namespace {

using database_test::kGenerous;

// What the stand-ins of one test share with it: which calls they hold, and what they answer.
struct StandInControl {
    std::mutex mutex;
    std::condition_variable changed;
    bool holdConnect = false;
    bool holdRows = false;
    bool holdBlocks = false;
    bool reachable = true;
    bool refuse = false;  // a block: refused
    bool usedUp = false;  // the pool: used up
    int held = 0;         // calls held now
    int links = 0;        // stand-ins alive: 0 once the worker has ended
    int blocksTaken = 0;
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
        Set([this] { holdConnect = holdRows = holdBlocks = false; });
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
    void Connect() override {
        control_->Pass(control_->holdConnect);
        const std::lock_guard<std::mutex> lock(control_->mutex);
        if (!control_->reachable) {
            throw odbc::OdbcError("08001", "connection refused\nis the server running?");
        }
    }
    void AddRow(const std::string&, const std::string&, const database::RecordFields&) override {
        control_->Pass(control_->holdRows);
    }
    std::optional<serial_numbers::NumberRange> TakeBlock(const std::string&,
                                                         std::uint32_t count) override {
        control_->Pass(control_->holdBlocks);
        const std::lock_guard<std::mutex> lock(control_->mutex);
        if (control_->refuse) {
            throw odbc::OdbcError("P0001", "no pool board\nCONTEXT: take_serial_block");
        }
        if (control_->usedUp) {
            return std::nullopt;
        }
        ++control_->blocksTaken;
        const std::uint32_t first = control_->nextBlock;
        control_->nextBlock += count;
        return serial_numbers::NumberRange{first, first + count - 1};
    }
    database::LabelAnswer LabelPassed(const std::string& label) override {
        database::LabelAnswer answer;
        answer.kind = label == "PCB-7" ? database::LabelAnswer::Kind::kPassed
                                       : database::LabelAnswer::Kind::kNotPassed;
        answer.station = "L3-S02";
        return answer;
    }

private:
    std::shared_ptr<StandInControl> control_;
};

database::OpenFactory Opener(const std::shared_ptr<StandInControl>& control) {
    return [control](const std::string&, odbc::Timeouts) {
        return std::make_unique<StandInDatabase>(control);
    };
}

database::Timing FastTiming() {
    return database_test::ServiceUnderTest::FastTiming();
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
            database::Timing timing = FastTiming();
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

// A restart with numbers left in the blocks file goes on with them, also while the worker is
// held inside its first call, and the file keeps them.
TEST(DatabaseWorkerTest, ARestartGoesOnWithTheBlockOnDisk) {
    for (const bool reachable : {true, false}) {
        SCOPED_TRACE(reachable ? "database reachable" : "database away");
        const test_support::TempFolder folder;
        const std::string blocks = "serial-blocks.romtool.txt";
        const std::string text = database::SerialBlocksText({{"board", {1005, 1009}}});
        folder.Write(blocks, text);
        const serial_numbers::SerialNumberStore store(folder.Path());
        store.Settle("romtool", *store.Reserve("romtool", {1005, 1009}).number);
        database::StationDatabaseConfig config = StandInConfig(folder);
        config.pool = database::PoolSettings{"board", 5, ""};
        const auto control = std::make_shared<StandInControl>();
        control->reachable = reachable;
        control->holdConnect = true;
        {
            database::StationDatabase service(
                "romtool", [] {}, FastTiming(), Opener(control));
            service.Configure(config);
            ASSERT_TRUE(control->WaitUntil([&] { return control->held == 1; }));
            const database::SerialBlockAnswer held = service.SerialRange(kGenerous);
            control->Release();
            ASSERT_TRUE(held.range) << station::SerialBlockReason(held);
            EXPECT_EQ(store.Next(*held.range), 1006u);
        }  // the worker's round has ended
        EXPECT_EQ(folder.Read(blocks), text);
        EXPECT_EQ(control->blocksTaken, 0);
    }
}

// A press asks of a label and waits a bounded time: a worker held in a call (a database that does
// not answer) gives no answer in time, the press is called back meanwhile, and once the worker
// is free the database's answer comes; a database away or none at all answers at once.
TEST(DatabaseWorkerTest, ALabelQuestionEndsOnTimeWhileTheWorkerIsHeld) {
    using Kind = database::LabelAnswer::Kind;
    const test_support::TempFolder folder;
    const auto control = std::make_shared<StandInControl>();
    control->holdConnect = true;
    database::StationDatabase service(
        "romtool", [] {}, FastTiming(), Opener(control));
    service.Configure(StandInConfig(folder));
    ASSERT_TRUE(control->WaitUntil([&] { return control->held == 1; }));
    int calls = 0;
    const database::LabelAnswer held =
        service.LabelPassed("PCB-7", std::chrono::milliseconds(200), [&] { ++calls; });
    EXPECT_EQ(held.kind, Kind::kNoAnswerInTime);
    EXPECT_EQ(held.seconds, 1u);
    EXPECT_GT(calls, 0);
    control->Release();
    const database::LabelAnswer passed = service.LabelPassed("PCB-7", kGenerous);
    EXPECT_EQ(passed.kind, Kind::kPassed);
    EXPECT_EQ(passed.station, "L3-S02");
    EXPECT_EQ(service.LabelPassed("PCB-8", kGenerous).kind, Kind::kNotPassed);

    control->Set([&] { control->reachable = false; });
    const database::LabelAnswer away = service.LabelPassed("PCB-7", kGenerous);
    EXPECT_EQ(away.kind, Kind::kFailed);
    EXPECT_EQ(away.detail, "connection refused");

    database::StationDatabaseConfig none = StandInConfig(folder);
    none.database.reset();
    service.Configure(none);
    EXPECT_EQ(service.LabelPassed("PCB-7", kGenerous).kind, Kind::kNoDatabase);
}

// While a press waits for a block, the station's thread is called back; the wait keeps its
// bound when no block comes.
TEST(DatabaseWorkerTest, WaitingForABlockCallsBackAndEndsOnTime) {
    const test_support::TempFolder folder;
    database::StationDatabaseConfig config = StandInConfig(folder);
    config.pool = database::PoolSettings{"board", 5, ""};
    const auto control = std::make_shared<StandInControl>();
    control->holdBlocks = true;
    database::StationDatabase service(
        "romtool", [] {}, FastTiming(), Opener(control));
    service.Configure(config);
    int calls = 0;
    const database::SerialBlockAnswer answer = service.SerialRange(kGenerous, [&] {
        if (++calls == 3) {
            control->Release();
        }
    });
    ASSERT_TRUE(answer.range) << station::SerialBlockReason(answer);
    EXPECT_EQ(answer.range->first, 1010u);
    EXPECT_GE(calls, 3);

    control->Set([&] { control->holdBlocks = true; });
    const serial_numbers::SerialNumberStore store(folder.Path());
    for (std::uint32_t n = 1010; n <= 1014; ++n) {
        store.Settle("romtool", *store.Reserve("romtool", *answer.range).number);
    }
    const database::SerialBlockAnswer late =
        service.SerialRange(std::chrono::milliseconds(120), [] {});
    EXPECT_EQ(station::SerialBlockMessage(late),
              "ERROR:本工位的序列号号段已用完，数据库在1秒内没有给出新的号段，不能烧写。");
    control->Release();
}

// Why no block came, as the worker found it.
TEST(DatabaseWorkerTest, TheAnswerWithoutABlockNamesWhy) {
    const struct {
        std::function<void(StandInControl&)> setUp;
        database::NoBlock why;
        std::string reason;
    } cases[] = {
        {[](StandInControl& c) { c.reachable = false; }, database::NoBlock::kUnreachable,
         "数据库无法连接（connection refused）"},
        {[](StandInControl& c) { c.refuse = true; }, database::NoBlock::kRefused,
         "数据库没有给出号段（no pool board）"},
        {[](StandInControl& c) { c.usedUp = true; }, database::NoBlock::kPoolUsedUp,
         "数据库中的序列号池board已用完"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const test_support::TempFolder folder;
        database::StationDatabaseConfig config = StandInConfig(folder);
        config.pool = database::PoolSettings{"board", 5, ""};
        const auto control = std::make_shared<StandInControl>();
        c.setUp(*control);
        database::StationDatabase service(
            "romtool", [] {}, FastTiming(), Opener(control));
        service.Configure(config);
        const database::SerialBlockAnswer answer = service.SerialRange(kGenerous);
        EXPECT_FALSE(answer.range);
        EXPECT_EQ(answer.why, c.why);
        EXPECT_EQ(station::SerialBlockReason(answer), c.reason);
    }
}

}  // namespace
