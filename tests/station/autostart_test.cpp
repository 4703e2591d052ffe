// A press that starts by itself when a new board is in the fixture: what a look at the fixture
// says, when a board counts as new, and the station waiting, pressing and stopping with both
// programmers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "record/record_columns.h"
#include "station/press/autostart_watch.h"
#include "station_fixture.h"
#include "temp_folder.h"
#include "tool/board_presence.h"
#include "tool/run_command.h"

using namespace station;

using ::testing::HasSubstr;
using tool::Presence;
using Action = AutostartWatch::Action;

namespace {

TEST(BoardPresence, ReadsEachProgrammersAnswer) {
    struct Case {
        Programmer programmer;
        const char* output;
        int exitCode;
        Presence expected;
    };
    const Case cases[] = {
        {Programmer::kNrfjprog, "NRF52840_xxAA_REV2\n", 0, Presence::kBoard},
        {Programmer::kNrfjprog, "ERROR: The operation attempted is unavailable\n", 16,
         Presence::kProtected},
        {Programmer::kNrfjprog, "ERROR: Unable to connect to a debugger.\n", 33,
         Presence::kNoBoard},
        {Programmer::kNrfjprog, "ERROR: Low voltage detected at the target.\n", 43,
         Presence::kNoBoard},
        {Programmer::kNrfjprog, "", 40, Presence::kNoProbe},
        {Programmer::kNrfjprog, "ERROR: No debuggers were discovered.\n", 41, Presence::kNoProbe},
        {Programmer::kNrfjprog, "", -1,
         Presence::kNoProbe},  // never started, or ended by its limit
        {Programmer::kNrfutil,
         R"({"type":"task_end","data":{"result":"success","message":"NRF52840_xxAA_REV2"}})", 0,
         Presence::kBoard},
        {Programmer::kNrfutil,
         R"({"type":"task_end","data":{"result":"fail","error":{"code":24,"description":"x"}}})", 1,
         Presence::kProtected},
        {Programmer::kNrfutil,
         R"({"type":"task_end","data":{"result":"fail","error":{"code":1,"description":"x"}}})", 1,
         Presence::kNoBoard},
        {Programmer::kNrfutil, "Error: No devices with requested serial number(s) or trait(s).", 1,
         Presence::kNoProbe},
        {Programmer::kNrfutil, "", 0, Presence::kNoBoard},  // no task_end: not a clear answer
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tool::ReadPresence(c.programmer, c.output, c.exitCode), c.expected)
            << c.output << " exit " << c.exitCode;
    }
}

// Looks at the fixture, each at a time in ms, and what the watch makes of them.
TEST(AutostartWatch, PressesOnlyABoardThatAppearsAndStays) {
    struct Look {
        Presence seen;
        int atMs;
        Action expected;
    };
    struct Case {
        const char* name;
        std::vector<Look> looks;
        int absentMs = 0;
    };
    constexpr auto B = Presence::kBoard;
    constexpr auto N = Presence::kNoBoard;
    const Case cases[] = {
        {"a board there when the waiting began is never pressed",
         {{B, 0, Action::kWait}, {B, 500, Action::kWait}, {B, 5000, Action::kWait}}},
        {"a board that appears is pressed once it has stayed the settle time",
         {{N, 0, Action::kEmptied},
          {N, 500, Action::kWait},
          {B, 1000, Action::kWait},
          {B, 1400, Action::kWait},
          {B, 1500, Action::kFound},
          {B, 2000, Action::kWait}}},
        {"a board that leaves during the settle time starts its settle time again",
         {{N, 0, Action::kEmptied},
          {B, 500, Action::kWait},
          {N, 800, Action::kWait},
          {B, 1000, Action::kWait},
          {B, 1400, Action::kWait},
          {B, 1500, Action::kFound}}},
        {"a protected board is a board",
         {{N, 0, Action::kEmptied},
          {Presence::kProtected, 0, Action::kWait},
          {Presence::kProtected, 500, Action::kFound}}},
        {"after a press the board must go before the next one",
         {{N, 0, Action::kEmptied},
          {B, 0, Action::kWait},
          {B, 500, Action::kFound},
          {B, 1000, Action::kWait},
          {N, 1500, Action::kEmptied},
          {B, 2000, Action::kWait},
          {B, 2500, Action::kFound}}},
        {"a probe that stops answering ends the waiting",
         {{N, 0, Action::kEmptied},
          {Presence::kNoProbe, 500, Action::kProbeGone},
          {B, 1000, Action::kWait}}},
        {"a contact that bounces for one look presses nothing again",
         {{N, 0, Action::kWait},
          {N, 1000, Action::kWait},
          {N, 1500, Action::kEmptied},
          {B, 2000, Action::kWait},
          {B, 2500, Action::kFound},
          {N, 3000, Action::kWait},
          {B, 3500, Action::kWait},
          {B, 4000, Action::kWait},
          {B, 9000, Action::kWait}},
         1500},
        {"a contact that bounces for two looks presses nothing again",
         {{N, 0, Action::kWait},
          {N, 1500, Action::kEmptied},
          {B, 2000, Action::kWait},
          {B, 2500, Action::kFound},
          {N, 3000, Action::kWait},
          {N, 3500, Action::kWait},
          {B, 4000, Action::kWait},
          {N, 4500, Action::kWait},  // away again: counted from here
          {B, 5500, Action::kWait},
          {B, 9000, Action::kWait}},
         1500},
        {"a board away for the absent time is a new one",
         {{N, 0, Action::kWait},
          {N, 1500, Action::kEmptied},
          {B, 2000, Action::kWait},
          {B, 2500, Action::kFound},
          {N, 3000, Action::kWait},
          {N, 4000, Action::kWait},
          {N, 4500, Action::kEmptied},
          {B, 5000, Action::kWait},
          {B, 5500, Action::kFound}},
         1500},
    };
    const AutostartWatch::Clock::time_point start{};
    for (const Case& c : cases) {
        AutostartWatch watch;
        watch.Restart(std::chrono::milliseconds(500), std::chrono::milliseconds(c.absentMs));
        for (std::size_t i = 0; i < c.looks.size(); ++i) {
            const Look& look = c.looks[i];
            EXPECT_EQ(watch.Look(look.seen, start + std::chrono::milliseconds(look.atMs)),
                      look.expected)
                << c.name << ", look " << i + 1;
        }
    }
}

class Autostart : public StationTest, public ::testing::WithParamInterface<bool> {
protected:
    // A station that starts by itself (settle and absent times 0), with nrfutil when nrfutil, and
    // more lines of config.ini.
    TRomForm& AutostartStation(bool nrfutil, const std::string& more = "") {
        auto& station = Station();
        station.Write("config.ini", station.Read("config.ini") + "[station]\r\nautostart=yes\r\n" +
                                        "autostart_settle_ms=0\r\nautostart_absent_ms=0\r\n" +
                                        (nrfutil ? "programmer=nrfutil\r\n" : "") + more);
        return Shown();
    }
    // A stand-in command on the probe's fixture ("board-out", "board-change").
    void Fixture(const std::string& command) const {
        const std::string call = GetParam()
                                     ? os::QuoteArgument(station_->NrfutilPath()) + " device " +
                                           command + " --serial-number 682123456"
                                     : os::QuoteArgument(station_->ToolPath()) + " --" + command;
        tool::RunCommand(call, station_->BinFolder(), std::chrono::seconds(30));
    }
};

TEST_P(Autostart, WaitsForANewBoardPressesItOnceAndStopsWithTheProbe) {
    TRomForm& form = AutostartStation(GetParam());
    ASSERT_TRUE(view_.ticking);
    // The board that was there at the check is not new; a press of start during the look waits
    // for it to end and then runs.
    view_.queuedInput = [&] { form.Handle(&TRomForm::Button_StartClick); };
    form.Handle(&TRomForm::AutostartTick);
    EXPECT_EQ(view_.verdict, "PASS");
    EXPECT_EQ(RecordRows().size(), 2u);

    Fixture("board-out");
    form.Handle(&TRomForm::AutostartTick);
    EXPECT_EQ(view_.verdict, "请放入电路板");
    EXPECT_THAT(Log(), HasSubstr(InfoLine("自动开始：等待放入电路板")));

    // A new board: pressed at once; a press of start taken during that press is dropped.
    Fixture("board-change");
    view_.queuedInput = [&] { form.Handle(&TRomForm::Button_StartClick); };
    form.Handle(&TRomForm::AutostartTick);
    EXPECT_EQ(view_.verdict, "PASS") << view_.memo;
    EXPECT_THAT(Log(), HasSubstr(InfoLine("自动开始：检测到新电路板")));
    ASSERT_EQ(RecordRows().size(), 3u);
    const int calls = station_->StandInCallCount();
    form.Handle(&TRomForm::AutostartTick);  // the board stays: looked at, not pressed
    EXPECT_EQ(station_->StandInCallCount(), calls + 1);
    EXPECT_EQ(RecordRows().size(), 3u);

    station_->SetStandIn("probe=absent\n");
    form.Handle(&TRomForm::AutostartTick);
    EXPECT_EQ(form.State().Error_Code, 102);
    EXPECT_FALSE(view_.ticking);
    const int callsWithoutProbe = station_->StandInCallCount();
    form.Handle(&TRomForm::AutostartTick);  // not waiting: no look
    EXPECT_EQ(station_->StandInCallCount(), callsWithoutProbe);
}

// With labels too, the press starts when both are there, in either order; the label is the
// board's in its row.
TEST_P(Autostart, ABoardAndItsLabelStartThePressInEitherOrder) {
    TRomForm& form = AutostartStation(GetParam(), "[trace]\r\nlabel=yes\r\n");
    const auto labelColumn = record::IndexOf(record::Column::kBoardLabel);
    Fixture("board-out");
    form.Handle(&TRomForm::AutostartTick);

    // The board first: the station asks for its label, and Enter presses it.
    Fixture("board-change");
    form.Handle(&TRomForm::AutostartTick);
    EXPECT_EQ(view_.verdict, "请扫描条码");
    EXPECT_TRUE(RecordRows().empty());
    view_.label = "PCB-1";
    form.Handle(&TRomForm::Edit_BoardLabelReturn);
    EXPECT_EQ(view_.verdict, "PASS") << view_.memo;
    ASSERT_EQ(RecordRows().size(), 2u);
    EXPECT_EQ(RecordRows()[1][labelColumn], "PCB-1");

    // The label first: Enter waits for the board, whose arrival presses it.
    Fixture("board-out");
    form.Handle(&TRomForm::AutostartTick);
    view_.label = "PCB-2";
    form.Handle(&TRomForm::Edit_BoardLabelReturn);
    EXPECT_EQ(view_.verdict, "请放入电路板");
    EXPECT_EQ(RecordRows().size(), 2u);
    Fixture("board-change");
    form.Handle(&TRomForm::AutostartTick);
    ASSERT_EQ(RecordRows().size(), 3u);
    EXPECT_EQ(RecordRows()[2][labelColumn], "PCB-2");
}

// With chip IDs recorded, a board whose chip passed here today is not pressed by itself again
// when it is put back (its DEVICEID is read first): the log says why, and start still presses it.
TEST_P(Autostart, AChipThatPassedHereTodayIsNotPressedAgainByItself) {
    TRomForm& form = AutostartStation(GetParam(), "[trace]\r\ndeviceid=yes\r\n");
    Fixture("board-out");
    form.Handle(&TRomForm::AutostartTick);
    Fixture("board-change");
    form.Handle(&TRomForm::AutostartTick);
    EXPECT_EQ(view_.verdict, "PASS") << view_.memo;
    ASSERT_EQ(RecordRows().size(), 2u);

    // The same board back, its chip still readable (a protected chip cannot be read, nor told
    // apart: it is pressed, the absent time being its guard).
    Fixture("board-out");
    form.Handle(&TRomForm::AutostartTick);
    for (const char* file : {"flash.out", "flash.protected"}) {
        std::filesystem::remove(std::filesystem::u8path(station_->BinFolder() + file));
    }
    form.Handle(&TRomForm::AutostartTick);
    EXPECT_EQ(RecordRows().size(), 2u);
    const auto passed = RecordRows()[1];
    EXPECT_THAT(Log(),
                HasSubstr(InfoLine("自动开始：这颗芯片（DEVICEID " +
                                   passed[record::IndexOf(record::Column::kDeviceId)] +
                                   "）今天已于" + passed[record::IndexOf(record::Column::kTime)] +
                                   "在本工位烧写通过，不自动烧写（需要重新烧写时请按开始）。")));
    form.Handle(&TRomForm::Button_StartClick);
    EXPECT_EQ(RecordRows().size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(BothProgrammers, Autostart, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "nrfutil" : "nrfjprog"; });

TEST(AutostartSettings, AValueThatCannotBeUsedIsNamed) {
    struct Case {
        const char* lines;
        const char* named;
    };
    const Case cases[] = {{"autostart=maybe\r\n", "autostart=maybe不是yes或no"},
                          {"autostart=yes\r\nautostart_settle_ms=fast\r\n",
                           "autostart_settle_ms=fast不是0到60000之间的毫秒数"},
                          {"autostart=yes\r\nautostart_settle_ms=60001\r\n", "60001不是0到60000"},
                          {"autostart=yes\r\nautostart_absent_ms=-1\r\n",
                           "autostart_absent_ms=-1不是0到60000之间的毫秒数"}};
    for (const Case& c : cases) {
        test_support::TempFolder folder;
        folder.Write("config.ini", std::string("[station]\r\n") + c.lines);
        const StationConfig config = ReadStationConfig(folder.Path() + "config.ini", "Romtool");
        EXPECT_THAT(config.problem, HasSubstr(c.named)) << c.lines;
    }
}

}  // namespace
