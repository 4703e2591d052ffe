// The programming run: check, program with or without erase, PASS or FAIL; what happens to input
// and a close request that arrive while the tool runs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>

#include "csv_reader.h"
#include "integrity/checksum.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "record/production_record.h"
#include "station/run/operator_texts.h"
#include "station_fixture.h"
#include "tool/programmer.h"
#include "tool/run_command.h"

using namespace station;

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

using ProgrammingRun = StationTest;

std::string ProgrammingCall(const std::string& hexPath, bool erase) {
    return std::string(erase ? "-e " : "") + "--program " + hexPath +
           " --verify --rbp ALL --pinreset";
}

TEST_F(ProgrammingRun, WithAndWithoutEraseLogsTheCommandAndPasses) {
    for (const bool erase : {true, false}) {
        auto& station = Station();
        TRomForm& form = Shown();
        view_.erase = erase;
        form.Handle(&TRomForm::Button_StartClick);

        EXPECT_EQ(view_.verdict, "PASS");
        EXPECT_EQ(view_.verdictColour, kVerdictGreen);
        EXPECT_THAT(form.MemoText(), HasSubstr("Verify OK"));
        EXPECT_TRUE(view_.startEnabled);
        EXPECT_THAT(ToolCalls(),
                    ElementsAre("-i", "-i", ProgrammingCall(station.ImagePath(), erase)));
        const std::string log = Log();
        const auto crcLine =
            log.find(InfoLine("CRC=" + integrity::FileChecksum(station.ImagePath())));
        ASSERT_NE(crcLine, std::string::npos) << log;
        // "Para=" follows "CRC=" on the next line, with the command exactly as it was run.
        const auto paraLine = log.find('\n', crcLine) + 1;
        const std::string paraExpected =
            InfoLine("Para=" + tool::ProgrammingCommand(form.State().Prog_Path, station.ImagePath(),
                                                        erase, form.State().Prog_Para, ""));
        EXPECT_EQ(log.substr(paraLine + 12, paraExpected.size()), paraExpected) << log;
        EXPECT_THAT(log, HasSubstr(InfoLine(form.MemoText())));
    }
}

struct PublishedMarker {
    const char* standIn;
    const char* text;
};

class ProgrammingRunPasses : public StationTest,
                             public ::testing::WithParamInterface<PublishedMarker> {};

TEST_P(ProgrammingRunPasses, WithEachVerifySuccessText) {
    Station().SetStandIn(GetParam().standIn);
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_StartClick);
    EXPECT_EQ(view_.verdict, "PASS");
    EXPECT_EQ(form.State().Error_Code, 0);
    EXPECT_THAT(form.MemoText(), HasSubstr(GetParam().text));
    EXPECT_THAT(form.MemoText(), Not(HasSubstr("Verify OK")));
}

INSTANTIATE_TEST_SUITE_P(OfThePublishedProgrammers, ProgrammingRunPasses,
                         ::testing::Values(PublishedMarker{"marker=verified\n", "Verified OK."},
                                           PublishedMarker{"marker=done\n",
                                                           "Verify file - Done verifying"}));

struct FailingRun {
    const char* name;
    const char* standIn;

    friend void PrintTo(const FailingRun& p, std::ostream* out) { *out << p.name; }
};

class ProgrammingRunFails : public StationTest, public ::testing::WithParamInterface<FailingRun> {};

TEST_P(ProgrammingRunFails, InRedWithTheOutputAndMessage107) {
    Station().SetStandIn(GetParam().standIn);
    RunLimits limits;
    limits.programming = std::chrono::seconds(1);
    TRomForm& form = Shown(limits);
    form.Handle(&TRomForm::Button_StartClick);

    EXPECT_EQ(form.State().Error_Code, 107);
    EXPECT_EQ(view_.verdict, "FAIL");
    EXPECT_EQ(view_.verdictColour, kVerdictRed);
    const std::string text = form.MemoText();
    EXPECT_THAT(text, EndsWith("\nERROR:写入hex文件失败。\r\n"));
    if (std::string(GetParam().name) == "TimedOut") {
        EXPECT_THAT(text, HasSubstr(TimeoutLine(1)));
    }
    EXPECT_THAT(Log(), HasSubstr(ErrorLine(text)));
    EXPECT_THAT(Log(), HasSubstr(InfoLine(text)));
    EXPECT_TRUE(view_.startEnabled);
}

INSTANTIATE_TEST_SUITE_P(WhenTheToolDoesNotConfirm, ProgrammingRunFails,
                         ::testing::Values(FailingRun{"MissingVerifyOk", "marker=omit\n"},
                                           FailingRun{"ErrorInOutput", "verify=fail\n"},
                                           FailingRun{"TimedOut", "hang=program\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgrammingRun, StationNotReadyProgramsNothing) {
    Station(test_support::StationParts::Without({test_support::Part::kChecksum}));
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_StartClick);

    EXPECT_EQ(form.State().Error_Code, 104);
    EXPECT_EQ(view_.verdict, "FAIL");
    EXPECT_THAT(ToolCalls(), ElementsAre("-i", "-i"));
    EXPECT_THAT(Log(), Not(HasSubstr("[info ]CRC=")));
    EXPECT_TRUE(view_.startEnabled);
}

// cmd.exe would expand a "%" even inside the quotes, so on Windows nothing runs with such an
// image; elsewhere the name is programmed as it stands.
TEST_F(ProgrammingRun, ImageNameWithAPercentSignRunsNothingOnWindows) {
    auto& station = Station();
    TRomForm& form = Shown();
    const std::string image = station.Path() + "100%.hex";
    test_support::StationFolder::WriteImage(image);
    integrity::WriteChecksumFile(station.Path() + "100%.crc", integrity::FileChecksum(image));
    view_.imageAnswers.push_back(image);
    form.Handle(&TRomForm::Button_SelectClick);
    form.Handle(&TRomForm::Button_StartClick);

    if (os::kPathSeparator == '\\') {
        EXPECT_EQ(form.State().Error_Code, 110);
        EXPECT_EQ(view_.verdict, "FAIL");
        EXPECT_THAT(form.MemoText(), HasSubstr("ERROR:" + form.State().Hex_Path + "中含有“%”"));
        EXPECT_THAT(ToolCalls(), ElementsAre("-i"));
    } else {
        EXPECT_EQ(view_.verdict, "PASS");
        EXPECT_THAT(ToolCalls(),
                    ElementsAre("-i", "-i", "-i", ProgrammingCall(form.State().Hex_Path, true)));
    }
}

TEST_F(ProgrammingRun, WorkingShowsInThePreviousVerdictsColourOverACleanTextArea) {
    auto& station = Station();
    station.SetStandIn("marker=omit\n");
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_StartClick);
    ASSERT_EQ(view_.verdict, "FAIL");
    station.SetStandIn("");

    // The repaint after the check paints "Working", before the programming starts (the tool
    // ran 3 times so far, plus this run's probe query).
    std::vector<std::string> seen;
    view_.duringRepaint = [&] {
        if (view_.verdict == "Working" && seen.empty()) {
            seen = {view_.memo, view_.startEnabled ? "enabled" : "disabled",
                    view_.verdictColour == kVerdictRed ? "red" : "green",
                    std::to_string(station.StandInCallCount())};
        }
    };
    form.Handle(&TRomForm::Button_StartClick);

    EXPECT_THAT(seen, ElementsAre("", "disabled", "red", "4"));  // before the 2nd programming
    EXPECT_EQ(view_.verdict, "PASS");
    EXPECT_EQ(view_.verdictColour, kVerdictGreen);
}

TEST_F(ProgrammingRun, ClickDuringTheRunIsHandledAfterIt) {
    auto& station = Station();
    TRomForm& form = Shown();
    int callsWhenClicked = -1;
    view_.duringRepaint = [&] {
        if (callsWhenClicked < 0) {
            callsWhenClicked = station.StandInCallCount();
            form.Handle(&TRomForm::Button_GetJlinkClick);
            // Nothing of the refresh has run yet.
            EXPECT_EQ(station.StandInCallCount(), callsWhenClicked);
        }
    };
    form.Handle(&TRomForm::Button_StartClick);

    EXPECT_THAT(ToolCalls(),
                ElementsAre("-i", "-i", ProgrammingCall(station.ImagePath(), true), "-i"));
    // The refresh replaced the PASS verdict right after it was shown and logged.
    EXPECT_EQ(view_.verdict, "Ready");
    const std::string log = Log();
    const auto verify = log.find("Verify OK");
    ASSERT_NE(verify, std::string::npos);
    EXPECT_NE(log.find(InfoLine(form.State().Prog_Sn), verify), std::string::npos);
}

// A double click, or Alt+S while "Working": the presses taken after the run are dropped, so the
// board is programmed once and has one row; another button pressed meanwhile still runs after.
// The window stays marked busy until all of it has ended.
TEST_F(ProgrammingRun, PressesOfStartQueuedDuringTheRunAreDropped) {
    auto& station = Station();
    TRomForm& form = Shown();
    view_.queuedInput = [&] {
        form.Handle(&TRomForm::Button_StartClick);
        form.Handle(&TRomForm::Button_GetJlinkClick);
        form.Handle(&TRomForm::Button_StartClick);
    };
    view_.busyMarks.clear();
    form.Handle(&TRomForm::Button_StartClick);

    EXPECT_THAT(view_.busyMarks, ElementsAre(true, false));
    EXPECT_THAT(ToolCalls(),
                ElementsAre("-i", "-i", ProgrammingCall(station.ImagePath(), true), "-i"));
    EXPECT_EQ(RecordRows().size(), 2u);
    form.Handle(&TRomForm::Button_StartClick);  // a press after the run is a new board
    EXPECT_EQ(station.StandInCallCount(), 6);
}

TEST_F(ProgrammingRun, CloseDuringTheRunClosesAfterIt) {
    Station();
    TRomForm& form = Shown();
    bool closedAtOnce = true;
    int closesDuringRun = -1;
    view_.duringRepaint = [&] {
        if (closesDuringRun < 0) {
            closedAtOnce = form.RequestClose();
            closesDuringRun = view_.closeRequests;
        }
    };
    form.Handle(&TRomForm::Button_StartClick);

    EXPECT_FALSE(closedAtOnce);
    EXPECT_EQ(closesDuringRun, 0);
    EXPECT_EQ(view_.verdict, "PASS");
    EXPECT_EQ(view_.closeRequests, 1);
    EXPECT_TRUE(form.RequestClose());
}

}  // namespace
