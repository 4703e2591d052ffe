// The programming run: check, program with or without erase, PASS or FAIL.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "checksum.h"
#include "core_text.h"
#include "programmer.h"
#include "run_command.h"
#include "station_window.h"
#include "verdict_text.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

using ProgrammingRun = StationWindowTest;

// Runs body at the first moment the window dispatches events during the next operation.
void DuringNextOperation(TRomForm& form, std::function<void()> body) {
    auto* timer = new QTimer(&form);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, &form, [timer, &form, body = std::move(body)] {
        if (form.OperationRunning()) {
            timer->stop();
            timer->deleteLater();
            body();
        }
    });
    timer->start();
}

std::string ProgrammingCall(const std::string& hexPath, bool erase) {
    return std::string(erase ? "-e " : "") + "--program " + hexPath +
           " --verify --rbp ALL --pinreset";
}

TEST_F(ProgrammingRun, WithEraseLogsTheCommandAndPasses) {
    auto& station = Station();
    TRomForm& form = Window();
    ASSERT_TRUE(form.cb_erase->isChecked());
    Click(form.Button_Start);

    EXPECT_EQ(form.Panel_Result->text(), "PASS");
    EXPECT_EQ(TextColour(*form.Panel_Result), kVerdictGreen);
    EXPECT_THAT(Utf8(form.MemoText()), HasSubstr("Verify OK"));
    EXPECT_TRUE(form.Button_Start->isEnabled());
    EXPECT_THAT(ToolCalls(), ElementsAre("-i", "-i", ProgrammingCall(station.ImagePath(), true)));
    const std::string command =
        tool::ProgrammingCommand(Utf8(form.Prog_Path), station.ImagePath(), true);
    const std::string log = Log();
    const auto crcLine =
        log.find(InfoLine("CRC=" + FromUtf8(integrity::FileChecksum(station.ImagePath()))));
    ASSERT_NE(crcLine, std::string::npos) << log;
    // "Para=" follows "CRC=" on the next line, with the command exactly as it was run.
    const auto paraLine = log.find('\n', crcLine) + 1;
    const std::string paraExpected = InfoLine("Para=" + FromUtf8(command));
    EXPECT_EQ(log.substr(paraLine + 12, paraExpected.size()), paraExpected) << log;
    EXPECT_THAT(log, HasSubstr(InfoLine(form.MemoText())));
}

TEST_F(ProgrammingRun, WithoutEraseLeavesTheOptionOut) {
    auto& station = Station();
    TRomForm& form = Window();
    form.cb_erase->setChecked(false);
    Click(form.Button_Start);

    EXPECT_EQ(form.Panel_Result->text(), "PASS");
    EXPECT_EQ(ToolCalls().back(), ProgrammingCall(station.ImagePath(), false));
    EXPECT_THAT(Log(), HasSubstr(InfoLine("Para=" +
                                          FromUtf8(tool::ProgrammingCommand(
                                              Utf8(form.Prog_Path), station.ImagePath(), false)))));
}

struct PublishedMarker {
    const char* standIn;
    const char* text;
};

class ProgrammingRunPasses : public StationWindowTest,
                             public ::testing::WithParamInterface<PublishedMarker> {};

TEST_P(ProgrammingRunPasses, WithEachVerifySuccessText) {
    Station().SetStandIn(GetParam().standIn);
    TRomForm& form = Window();
    Click(form.Button_Start);
    EXPECT_EQ(form.Panel_Result->text(), "PASS");
    EXPECT_EQ(form.Error_Code, 0);
    EXPECT_THAT(Utf8(form.MemoText()), HasSubstr(GetParam().text));
    EXPECT_THAT(Utf8(form.MemoText()), Not(HasSubstr("Verify OK")));
}

INSTANTIATE_TEST_SUITE_P(OfThePublishedProgrammers, ProgrammingRunPasses,
                         ::testing::Values(PublishedMarker{"marker=verified\n", "\nVerified OK.\n"},
                                           PublishedMarker{"marker=done\n",
                                                           "\nVerify file - Done verifying\n"}));

struct FailingRun {
    const char* name;
    const char* standIn;

    friend void PrintTo(const FailingRun& p, std::ostream* out) { *out << p.name; }
};

class ProgrammingRunFails : public StationWindowTest,
                            public ::testing::WithParamInterface<FailingRun> {};

TEST_P(ProgrammingRunFails, InRedWithTheOutputAndMessage107) {
    Station().SetStandIn(GetParam().standIn);
    RunLimits limits;
    limits.programming = std::chrono::seconds(1);
    TRomForm& form = Window(limits);
    Click(form.Button_Start);

    EXPECT_EQ(form.Error_Code, 107);
    EXPECT_EQ(form.Panel_Result->text(), "FAIL");
    EXPECT_EQ(TextColour(*form.Panel_Result), kVerdictRed);
    const QString text = form.MemoText();
    EXPECT_TRUE(text.endsWith("\nERROR:写入hex文件失败。\r\n")) << Utf8(text);
    if (std::string(GetParam().name) == "TimedOut") {
        EXPECT_THAT(Utf8(text), HasSubstr(tool::TimeoutLine(1)));
    }
    EXPECT_THAT(Log(), HasSubstr(ErrorLine(text)));
    EXPECT_THAT(Log(), HasSubstr(InfoLine(text)));
    EXPECT_TRUE(form.Button_Start->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(WhenTheToolDoesNotConfirm, ProgrammingRunFails,
                         ::testing::Values(FailingRun{"MissingVerifyOk", "marker=omit\n"},
                                           FailingRun{"ErrorInOutput", "verify=fail\n"},
                                           FailingRun{"TimedOut", "hang=program\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgrammingRun, StationNotReadyProgramsNothing) {
    Station({true, true, false, true, true});
    TRomForm& form = Window();
    Click(form.Button_Start);

    EXPECT_EQ(form.Error_Code, 104);
    EXPECT_EQ(form.Panel_Result->text(), "FAIL");
    EXPECT_THAT(ToolCalls(), ElementsAre("-i", "-i"));
    EXPECT_THAT(Log(), Not(HasSubstr("[info ]CRC=")));
    EXPECT_TRUE(form.Button_Start->isEnabled());
}

TEST_F(ProgrammingRun, WorkingShowsInThePreviousVerdictsColourOverACleanTextArea) {
    auto& station = Station();
    station.SetStandIn("marker=omit\n");
    TRomForm& form = Window();
    Click(form.Button_Start);
    ASSERT_EQ(form.Panel_Result->text(), "FAIL");
    station.SetStandIn("");

    // The panel is watched at every dispatch during the run; it says "Working" at the latest
    // when the window paints it just before the programming starts.
    QString seenText;
    QColor seenColour;
    QString seenMemo;
    bool startDisabled = false;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (form.Panel_Result->text() == "Working" && seenText.isEmpty()) {
            seenText = form.Panel_Result->text();
            seenColour = TextColour(*form.Panel_Result);
            seenMemo = form.Memo_Output->toPlainText();
            startDisabled = !form.Button_Start->isEnabled();
        }
    });
    watch.start();
    Click(form.Button_Start);
    watch.stop();

    EXPECT_EQ(seenText, "Working");
    EXPECT_EQ(seenColour, kVerdictRed);
    EXPECT_EQ(seenMemo, "");
    EXPECT_TRUE(startDisabled);
    EXPECT_EQ(form.Panel_Result->text(), "PASS");
    EXPECT_EQ(TextColour(*form.Panel_Result), kVerdictGreen);
}

TEST_F(ProgrammingRun, ClickDuringTheRunIsHandledAfterIt) {
    auto& station = Station();
    TRomForm& form = Window();
    bool clickedDuringRun = false;
    DuringNextOperation(form, [&] {
        clickedDuringRun = !form.Button_Start->isEnabled();
        QTest::mouseClick(form.Button_GetJlink, Qt::LeftButton);
        // Nothing of the refresh has run yet.
        EXPECT_EQ(station.StandInCallCount(), 1 + 1);
    });
    Click(form.Button_Start);

    EXPECT_TRUE(clickedDuringRun);
    EXPECT_THAT(ToolCalls(),
                ElementsAre("-i", "-i", ProgrammingCall(station.ImagePath(), true), "-i"));
    // The refresh replaced the PASS verdict right after it was shown and logged.
    EXPECT_EQ(form.Panel_Result->text(), "Ready");
    const std::string log = Log();
    const auto verify = log.find("Verify OK");
    ASSERT_NE(verify, std::string::npos);
    EXPECT_NE(log.find(InfoLine(form.Prog_Sn), verify), std::string::npos);
}

TEST_F(ProgrammingRun, CloseDuringTheRunClosesAfterIt) {
    Station();
    TRomForm& form = Window();
    bool closedAtOnce = true;
    DuringNextOperation(form, [&] {
        closedAtOnce = form.close();
        EXPECT_TRUE(form.isVisible());
    });
    Click(form.Button_Start);

    EXPECT_FALSE(closedAtOnce);
    EXPECT_EQ(form.Panel_Result->text(), "PASS");
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
