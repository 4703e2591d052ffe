// The form with a bench: the tiles, the one scanner, the selected output and 退出, driven as the
// window drives it, the fixtures pressing on their own threads.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "station_fixture.h"

using ::testing::HasSubstr;

namespace {

// The window's tiles as the form left them, and its posts counted for the test to wait on.
class RecordingBench : public BenchView {
public:
    void SetTileCount(int count) override { tiles.resize(static_cast<std::size_t>(count)); }
    void ShowTile(int index, const TileView& tile) override {
        tiles.at(static_cast<std::size_t>(index)) = tile;
        if (tile.progress >= 0) {
            progresses.push_back(tile.progress);
        }
    }
    void SetToolButtonsEnabled(bool enabled) override { toolButtons = enabled; }
    void PostBenchEvents() override {
        const std::lock_guard<std::mutex> guard(mutex);
        ++posts;
        posted.notify_all();
    }

    std::vector<TileView> tiles;
    std::vector<int> progresses;  // every bar a tile showed
    bool toolButtons = true;
    std::mutex mutex;
    std::condition_variable posted;
    int posts = 0;
};

class BenchForm : public StationTest {
protected:
    TRomForm& ShownBench(int count, const std::string& more, const std::string& standIn) {
        auto& folder = Station();
        std::string ini = folder.Read("config.ini") + more;
        std::string serials;
        for (int n = 1; n <= count; ++n) {
            const std::string probe = std::to_string(682000000 + n);
            ini += "[fixture" + std::to_string(n) + "]\r\nprobe=" + probe +
                   "\r\nname=" + std::string(1, static_cast<char>('A' + n - 1)) + "\r\n";
            serials += (serials.empty() ? "" : ",") + probe;
        }
        folder.Write("config.ini", ini);
        folder.SetStandIn("serial=" + serials + "\n" + standIn);
        return Restarted();
    }

    // The program started again on the same folder.
    TRomForm& Restarted() {
        form_.reset();
        form_ = std::make_unique<TRomForm>(view_, station_->Path() + kExecutableName);
        form_->AttachBench(bench_);
        form_->FormCreate();
        form_->Handle(&TRomForm::FormShow);
        return *form_;
    }

    // Drains what the fixtures post, as the window's thread does, until none runs.
    void DrainUntilIdle(TRomForm& form) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        for (;;) {
            int seen = 0;
            {
                std::unique_lock<std::mutex> lock(bench_.mutex);
                seen = bench_.posts;
            }
            form.DrainBench();
            if (bench_.toolButtons) {
                return;  // enabled again: the last run has ended
            }
            std::unique_lock<std::mutex> lock(bench_.mutex);
            ASSERT_TRUE(
                bench_.posted.wait_until(lock, deadline, [&] { return bench_.posts != seen; }));
        }
    }

    void Scan(TRomForm& form, const std::string& label) {
        view_.label = label;
        form.Handle(&TRomForm::Edit_BoardLabelReturn);
    }

    RecordingBench bench_;
};

TEST_F(BenchForm, SendsEachScannedLabelToTheNextFixtureAndRefusesOneInFlight) {
    TRomForm& form = ShownBench(3, "[trace]\r\nlabel=yes\r\n", "delay_ms=300\n");
    ASSERT_EQ(bench_.tiles.size(), 3u);
    EXPECT_EQ(bench_.tiles[0].caption, "Ready");
    EXPECT_TRUE(bench_.tiles[0].awaitsLabel);
    Scan(form, "L1");  // no autostart: the board is there, the press starts at once
    EXPECT_EQ(bench_.tiles[0].caption, "Working");
    EXPECT_FALSE(bench_.toolButtons);
    EXPECT_TRUE(bench_.tiles[1].awaitsLabel);
    Scan(form, "L1");  // the same board cannot be in two fixtures
    EXPECT_THAT(view_.memo, HasSubstr("ERROR:条码L1已在工位A上"));
    Scan(form, "L2");
    EXPECT_EQ(bench_.tiles[1].caption, "Working");
    EXPECT_FALSE(form.RequestClose());  // 退出 waits for the last run
    DrainUntilIdle(form);
    EXPECT_EQ(view_.closeRequests, 1);
    EXPECT_EQ(bench_.tiles[0].caption, "PASS");
    EXPECT_EQ(bench_.tiles[1].caption, "PASS");
    EXPECT_EQ(bench_.tiles[2].caption, "Ready");
    const test_support::CsvRows rows = RecordRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_THAT(Log(), HasSubstr("[A] LABEL=L1"));
    EXPECT_THAT(Log(), HasSubstr("[B] LABEL=L2"));
}

TEST_F(BenchForm, StartsThePanelAndSelectsTheTileThatFailed) {
    TRomForm& form = ShownBench(4, "", "");
    // Fixture C's probe is unplugged after the refresh.
    station_->SetStandIn("serial=682000001,682000002,682000004\n");
    form.Handle(&TRomForm::Button_StartClick);
    for (const TileView& tile : bench_.tiles) {
        EXPECT_EQ(tile.caption, "Working");
    }
    DrainUntilIdle(form);
    EXPECT_EQ(bench_.tiles[2].caption, "FAIL");
    EXPECT_THAT(bench_.tiles[2].errorLine, HasSubstr("未找到序列号为682000003的Jlink"));
    EXPECT_TRUE(bench_.tiles[2].selected);
    EXPECT_THAT(view_.memo, HasSubstr("682000003"));
    for (std::size_t i : {0u, 1u, 3u}) {
        EXPECT_EQ(bench_.tiles[i].caption, "PASS");
        EXPECT_THAT(bench_.tiles[i].counts, HasSubstr("1"));
    }
    form.TileClicked(0);  // the operator reads another tile
    EXPECT_TRUE(bench_.tiles[0].selected);
    EXPECT_THAT(view_.memo, HasSubstr("Verify OK"));
    EXPECT_EQ(RecordRows().size(), 5u);
}

// With autostart the fixtures are looked at again and again; 刷新信息 waits for the looks under
// way to end (a click dropped then would leave a probe unplugged since unnoticed) and checks
// every fixture again.
TEST_F(BenchForm, RefreshWaitsForTheLooksUnderWay) {
    TRomForm& form = ShownBench(2, "[station]\r\nautostart=yes\r\n", "");
    ASSERT_EQ(bench_.tiles[1].caption, "请放入电路板");
    station_->SetStandIn("serial=682000001\n");  // B's probe unplugged
    form.Handle(&TRomForm::AutostartTick);       // a look at each fixture, on its own thread
    form.Handle(&TRomForm::Button_GetJlinkClick);
    EXPECT_EQ(bench_.tiles[1].caption, "FAIL");
    EXPECT_THAT(bench_.tiles[1].errorLine, HasSubstr("682000002"));
    EXPECT_EQ(bench_.tiles[0].caption, "请放入电路板");
    DrainUntilIdle(form);
}

// nrfutil's progress fills the running tile's bar, which goes when the run ends.
TEST_F(BenchForm, ShowsNrfutilsProgressOnTheRunningTile) {
    TRomForm& form = ShownBench(1, "[station]\r\nprogrammer=nrfutil\r\n", "delay_ms=300\n");
    form.Handle(&TRomForm::Button_StartClick);
    DrainUntilIdle(form);
    EXPECT_EQ(bench_.tiles[0].caption, "PASS");
    EXPECT_THAT(bench_.progresses, ::testing::Contains(80));  // its verify's, before it ends
    EXPECT_EQ(bench_.tiles[0].progress, -1);
}

// Each tile counts its own fixture's rows of today's record, a restart too.
TEST_F(BenchForm, CountsEachFixturesRowsOfTodaysRecordAfterARestart) {
    TRomForm& form = ShownBench(2, "", "");
    station_->SetStandIn("serial=682000001\n");  // B's probe is unplugged
    form.Handle(&TRomForm::Button_StartClick);
    DrainUntilIdle(form);
    ASSERT_EQ(bench_.tiles[1].caption, "FAIL");
    EXPECT_EQ(bench_.tiles[0].counts, "PASS 1  FAIL 0  100.0%");
    bench_.tiles.clear();
    Restarted();
    ASSERT_EQ(bench_.tiles.size(), 2u);
    EXPECT_EQ(bench_.tiles[0].counts, "PASS 1  FAIL 0  100.0%");
    EXPECT_EQ(bench_.tiles[1].counts, "PASS 0  FAIL 1  0.0%");
}

}  // namespace
