#include "report/tally.h"

#include <gtest/gtest.h>

namespace {

using report::Press;

// A press at hh:mm of 2024-03-05 (or day + offset).
Press At(const char* hhmm, bool pass, std::optional<std::uint64_t> id = std::nullopt,
         std::uint32_t runMs = 4000, int dayOffset = 0, const char* title = "Line1") {
    Press press;
    const std::string time = "2024-03-05T" + std::string(hhmm) + ":00.000";
    press.time = *report::ParseRecordTime(time);
    press.time.day.number += dayOffset;
    press.title = title;
    press.stationFolder = "C:\\Station\\";
    press.pass = pass;
    press.errorCode = pass ? 0 : 107;
    press.runMs = runMs;
    press.deviceId = id;
    return press;
}

TEST(NearestRank, IsTheSmallestValueThatEnoughDoNotExceed) {
    const struct {
        std::vector<std::uint32_t> values;
        unsigned percent;
        std::optional<std::uint32_t> expected;
    } cases[] = {
        {{}, 50, std::nullopt},
        {{7}, 50, 7},
        {{7}, 95, 7},
        {{4, 1, 3, 2}, 50, 2},  // the lower middle of an even count
        {{5, 1, 4, 2, 3}, 50, 3},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}, 95, 19},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21}, 95, 20},
        {{100, 100, 100, 9000}, 95, 9000},
    };
    for (auto c : cases) {
        EXPECT_EQ(report::NearestRank(c.values, c.percent), c.expected) << c.percent;
    }
}

TEST(Tally, FirstPassAndFinalYieldByChipId) {
    report::Tally tally;
    // Board A passes at once; B fails, then passes; C fails twice; D fails then passes on the
    // next day (a new day: its first press there passes).
    tally.OnPress(At("08:00", true, 0xA, 4000));
    tally.OnPress(At("08:05", false, 0xB));
    tally.OnPress(At("08:10", true, 0xB, 5000));
    tally.OnPress(At("09:00", false, 0xC));
    tally.OnPress(At("09:05", false, 0xC));
    tally.OnPress(At("10:00", false, 0xD));
    tally.OnPress(At("08:00", true, 0xD, 6000, 1));
    tally.EndDay();
    const std::vector<report::StationDayRow> rows = tally.Rows();
    ASSERT_EQ(rows.size(), 2u);
    const report::StationDayRow& first = rows[0];
    EXPECT_EQ(first.presses, 6u);
    EXPECT_EQ(first.boards, 4u);
    EXPECT_EQ(first.pass, 2u);
    EXPECT_EQ(first.fail, 4u);
    EXPECT_EQ(first.firstPassBoards, 1u);  // A
    EXPECT_EQ(first.finalPassBoards, 2u);  // A, B
    EXPECT_EQ(first.medianMs, 4000u);      // of 4000 and 5000, the lower
    EXPECT_EQ(first.p95Ms, 5000u);
    EXPECT_EQ(first.activeHours, 3u);  // 08, 09, 10
    EXPECT_EQ(rows[1].boards, 1u);
    EXPECT_EQ(rows[1].firstPassBoards, 1u);

    // B, C and D were programmed more than once, across days too.
    EXPECT_EQ(tally.RepeatedBoardCount(), 3u);
    const auto& repeated = tally.RepeatedBoards();
    ASSERT_EQ(repeated.size(), 3u);
    EXPECT_EQ(repeated.at(0xB).presses, 2u);
    EXPECT_EQ(repeated.at(0xB).passes, 1u);
    EXPECT_EQ(repeated.at(0xD).presses, 2u);
    EXPECT_EQ(repeated.at(0xD).lastMinute - repeated.at(0xD).firstMinute, 22u * 60u);
    EXPECT_EQ(tally.ChipIds(), 4u);
}

TEST(Tally, WithoutChipIdsEachPressIsABoard) {
    report::Tally tally;
    tally.OnPress(At("08:00", false));
    tally.OnPress(At("08:01", true));
    tally.OnPress(At("08:02", true));
    tally.OnPress(At("08:03", true, 0x1));  // a mixed day: one press knows its chip
    tally.EndDay();
    const report::StationDayRow row = tally.Rows().at(0);
    EXPECT_EQ(row.boards, 4u);
    EXPECT_EQ(row.boardsWithId, 1u);
    EXPECT_EQ(row.firstPassBoards, 3u);
    EXPECT_EQ(row.finalPassBoards, 3u);
    EXPECT_EQ(row.activeHours, 1u);
    EXPECT_EQ(tally.RepeatedBoardCount(), 0u);
}

TEST(Tally, SerialNumbersVoidedAndOutOfOrder) {
    report::Tally tally;
    const std::pair<bool, std::uint64_t> presses[] = {{true, 100}, {false, 101}, {true, 102},
                                                      {true, 102}, {true, 99},   {true, 103}};
    int minute = 0;
    for (const auto& [pass, serial] : presses) {
        const std::string hhmm = "08:0" + std::to_string(minute++);
        Press press = At(hhmm.c_str(), pass);
        press.serialNumber = serial;
        press.timeText = "t";
        tally.OnPress(press);
    }
    // Another station's numbers are its own.
    Press other = At("08:09", true, std::nullopt, 4000, 0, "Line2");
    other.serialNumber = 50;
    tally.OnPress(other);
    tally.EndDay();
    ASSERT_EQ(tally.Voided().total, 1u);
    EXPECT_EQ(tally.Voided().items[0].serial, 101u);
    EXPECT_EQ(tally.Voided().items[0].errorCode, 107);
    ASSERT_EQ(tally.OutOfOrder().total, 2u);
    EXPECT_EQ(tally.OutOfOrder().items[0].serial, 102u);
    EXPECT_EQ(tally.OutOfOrder().items[0].previous, 102u);
    EXPECT_EQ(tally.OutOfOrder().items[1].serial, 99u);
}

TEST(Tally, CountsChartsAndOrdersStations) {
    report::Tally tally;
    tally.OnPress(At("08:00", true, std::nullopt, 4321, 0, "B"));
    tally.OnPress(At("08:30", false, std::nullopt, 0, 0, "A"));
    tally.OnPress(At("23:59", true, std::nullopt, 999999, 0, "A"));
    tally.EndDay();
    EXPECT_EQ(tally.PassByHour()[8], 1u);
    EXPECT_EQ(tally.FailByHour()[8], 1u);
    EXPECT_EQ(tally.PassByHour()[23], 1u);
    EXPECT_EQ(tally.FailuresByCode().at(107), 1u);
    EXPECT_EQ(tally.CycleHistogram()[432], 1u);
    EXPECT_EQ(tally.CycleHistogram()[report::kBuckets - 1], 1u) << "past 300 s: the last bucket";
    const auto rows = tally.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(tally.Stations()[rows[0].station].title, "A");
    EXPECT_EQ(tally.Stations()[rows[1].station].title, "B");
}

// A station of several fixtures: each fixture's first-pass yield on its own (a board moved to
// another fixture is judged there by its first press there); a station without fixtures is one
// row with the numbers of the station's own yield.
TEST(Tally, FirstPassYieldPerStationAndFixture) {
    const struct {
        const char* hhmm;
        const char* title;
        const char* fixture;
        bool pass;
        std::optional<std::uint64_t> id;
        int dayOffset;
    } presses[] = {
        {"08:00", "Line1", "1", true, 0xA, 0}, {"08:01", "Line1", "1", false, 0xB, 0},
        {"08:02", "Line1", "1", true, 0xB, 0}, {"08:03", "Line1", "2", false, 0xC, 0},
        {"08:04", "Line1", "1", true, 0xC, 0}, {"08:05", "Line1", "2", false, 0xD, 0},
        {"08:06", "Line1", "2", true, 0xE, 0}, {"07:00", "Line1", "", false, std::nullopt, 0},
        {"09:00", "Line0", "", true, 0xF, 0},  {"08:00", "Line1", "2", true, 0xD, 1},
        {"09:00", "Line0", "", true, 0xF, 1},
    };
    report::Tally tally;
    for (const auto& p : presses) {
        Press press = At(p.hhmm, p.pass, p.id, 4000, p.dayOffset, p.title);
        press.fixture = p.fixture;
        tally.OnPress(press);
    }
    tally.EndDay();
    const struct {
        const char* title;
        const char* fixture;
        std::uint64_t presses, boards, firstPass;
    } expected[] = {
        {"Line0", "", 2, 2, 2},
        {"Line1", "", 1, 1, 0},
        {"Line1", "1", 4, 3, 2},  // B failed first; C passed at its first press here
        {"Line1", "2", 4, 4, 2},  // C and D failed; D passed the next day
    };
    const std::vector<report::FixtureYield> rows = tally.FixtureRows();
    ASSERT_EQ(rows.size(), std::size(expected));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(tally.Stations()[rows[i].station].title, expected[i].title);
        EXPECT_EQ(rows[i].fixture, expected[i].fixture);
        EXPECT_EQ(rows[i].presses, expected[i].presses);
        EXPECT_EQ(rows[i].boards, expected[i].boards);
        EXPECT_EQ(rows[i].firstPassBoards, expected[i].firstPass);
    }
    const std::vector<report::StationDayRow> days = tally.Rows();  // a copy, kept while read
    EXPECT_EQ(days[0].boards + days[1].boards, rows[0].boards);
    EXPECT_EQ(days[0].firstPassBoards + days[1].firstPassBoards, rows[0].firstPassBoards);
}

}  // namespace
