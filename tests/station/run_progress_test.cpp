// What the operator sees while the programmer works: its output as it arrives and how long it has
// run; afterwards the verdict exactly as without them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/text.h"
#include "station_fixture.h"
#include "tool/run_command.h"

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

namespace {

using RunProgress = StationTest;

TEST_F(RunProgress, TextAreaFollowsTheToolAndTheVerdictReplacesIt) {
    struct Case {
        const char* name;
        const char* standIn;
        bool bounded;  // more output than the window is given while the tool runs
    };
    for (const Case& c : {Case{"slow", "line_delay_ms=150\nsplit_char=1\n", false},
                          Case{"chatty", "line_delay_ms=150\nlong_output=300000\n", true}}) {
        SCOPED_TRACE(c.name);
        view_ = RecordingView();
        Station().SetStandIn(c.standIn);
        TRomForm& form = Shown();
        EXPECT_TRUE(view_.runOutputs.empty()) << "the probe query shows no progress";
        form.Handle(&TRomForm::Button_StartClick);

        EXPECT_EQ(view_.verdict, "PASS");
        const std::string& final = form.MemoText();
        EXPECT_EQ(view_.memo, final);
        ASSERT_GE(view_.runOutputs.size(), 2u) << "the text grows while the tool runs";
        std::size_t previous = 0;
        for (const std::string& shown : view_.runOutputs) {
            EXPECT_LE(shown.size(), tool::kRecentOutputBound);
            EXPECT_EQ(shown.find(os::kReplacementCharacter), std::string::npos);
            EXPECT_EQ(shown.back(), '\n') << "whole lines only";
            if (c.bounded) {
                EXPECT_NE(final.find(shown), std::string::npos);
            } else {
                EXPECT_THAT(final, StartsWith(shown));
                EXPECT_GT(shown.size(), previous);
                previous = shown.size();
            }
        }
        ASSERT_FALSE(view_.elapsedTexts.empty());
        EXPECT_EQ(view_.elapsedTexts.front(), "已运行 0 秒");
        EXPECT_EQ(view_.elapsedTexts.back(), "") << "hidden once the run has ended";
        EXPECT_THAT(Log(), HasSubstr(InfoLine(final)));
    }
}

TEST_F(RunProgress, OptionListShowsProgressTooAndTheCheckDoesNot) {
    Station().SetStandIn("delay_ms=300\n");  // the list comes at once, the tool ends later
    TRomForm& form = Shown();
    EXPECT_TRUE(view_.elapsedTexts.empty());
    form.Handle(&TRomForm::Button_HelpClick);
    EXPECT_FALSE(view_.runOutputs.empty());
    EXPECT_EQ(view_.elapsedTexts.back(), "");
    EXPECT_EQ(view_.memo, form.MemoText());
}

// nrfutil reports the steps of its program: they show beside the seconds while it runs and go
// when the next call starts; nrfjprog reports none.
TEST_F(RunProgress, NrfutilsStepsShowBesideTheSecondsUntilTheNextCall) {
    for (const bool nrfutil : {true, false}) {
        SCOPED_TRACE(nrfutil ? "nrfutil" : "nrfjprog");
        view_ = RecordingView();
        auto& station = Station();
        station.SetStandIn("delay_ms=300\n");  // all of a call's output shows before it ends
        if (nrfutil) {
            station.Write("config.ini",
                          station.Read("config.ini") + "[station]\r\nprogrammer=nrfutil\r\n");
        }
        Shown().Handle(&TRomForm::Button_StartClick);

        EXPECT_EQ(view_.verdict, "PASS");
        const std::vector<std::string>& texts = view_.elapsedTexts;
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts.back(), "") << "hidden once the run has ended";
        if (!nrfutil) {
            EXPECT_THAT(texts, Not(Contains(HasSubstr("步骤"))));
            continue;
        }
        // The program's last progress (its verify, after the erase and the write) stays shown
        // while the stand-in waits before it ends; how many of the earlier ones a repaint catches
        // depends on the machine's pace.
        const auto shown = std::find_if(texts.rbegin(), texts.rend(), [](const std::string& text) {
            return text.find("步骤") != std::string::npos;
        });
        ASSERT_NE(shown, texts.rend());
        // Prefix and suffix rather than a pattern: gtest's regular expressions on Windows take
        // no brackets.
        EXPECT_THAT(*shown, AllOf(StartsWith("已运行 "), EndsWith(" 秒  步骤 3/3 80%")));
        EXPECT_THAT(std::vector<std::string>(shown.base(), texts.end() - 1),
                    Contains(AllOf(StartsWith("已运行 "), EndsWith(" 秒"))))
            << "protection-set reports no progress of its own";
    }
}

}  // namespace
