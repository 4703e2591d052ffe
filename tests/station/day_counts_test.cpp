// Today's counts in the window: counted from the day's record of this title, kept as presses go.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "station/press/day_counts.h"
#include "station_fixture.h"

using namespace station;

using std::chrono::milliseconds;
using ::testing::EndsWith;
using ::testing::StartsWith;

namespace {

TEST(DayCounts, YieldRoundsToTenthsAndTheMedianIsTheLowerMiddle) {
    DayCounts counts;
    EXPECT_EQ(counts.Text(), "今日 PASS 0  FAIL 0  良率 --");
    counts.Add(false, std::nullopt);
    EXPECT_EQ(counts.Text(), "今日 PASS 0  FAIL 1  良率 0.0%");
    for (const long long ms : {4000, 6000, 5040, 9000}) {
        counts.Add(true, milliseconds(ms));
    }
    counts.Add(true, std::nullopt);  // a pass without a run time counts, its time does not
    counts.Add(false, std::nullopt);
    // 5 of 7: 71.43 %; of the times 4.0, 5.04, 6.0, 9.0 the lower middle one.
    EXPECT_EQ(counts.Text(), "今日 PASS 5  FAIL 2  良率 71.4%  周期中位 5.0 秒");
}

// A restart keeps the day's counts; another copy's rows in the same record are not this one's.
TEST_F(StationTest, CountsComeFromTheDaysRecordAndFollowEveryPress) {
    auto& station = Station();
    TRomForm& form = Shown();
    EXPECT_EQ(view_.counts, "今日 PASS 0  FAIL 0  良率 --");
    form.Handle(&TRomForm::Button_StartClick);
    station.SetStandIn("verify=fail\n");
    form.Handle(&TRomForm::Button_StartClick);
    const std::string afterTwo = view_.counts;
    EXPECT_THAT(afterTwo, StartsWith("今日 PASS 1  FAIL 1  良率 50.0%  周期中位 "));
    EXPECT_THAT(afterTwo, EndsWith(" 秒"));

    Created("Line2.exe");
    form_->Handle(&TRomForm::FormShow);
    EXPECT_EQ(view_.counts, "今日 PASS 0  FAIL 0  良率 --") << "Line2 has pressed nothing";
    form_->Handle(&TRomForm::Button_StartClick);
    Shown();
    EXPECT_EQ(view_.counts, afterTwo) << "the restart counts Romtool's rows only";
}

}  // namespace
