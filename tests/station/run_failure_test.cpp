// A programmer run that never started, crashed or could not run its command is reported as what
// it was, not as a missing probe or a bad chip: the line above the usual message says so (the
// code stays 102 or 107), and every run's end is in the log with its step's name.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <regex>
#include <string>

#include "platform/files.h"
#include "platform/text.h"
#include "station/check/error_codes.h"
#include "station_fixture.h"
#include "tool/run_command.h"

using namespace station;

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

enum class Fault {
    kNone,
    kNeverStarts,  // the start itself fails (the interpreter never runs)
    kCrashes,      // the tool ends at once, as a crash ends it, before printing
    kNotAProgram,  // the tool's file is no program: the interpreter cannot run it
};

enum class Where { kProbeQuery, kProgramming };

struct FailureCase {
    const char* name;
    bool nrfutil;
    Fault fault;
    Where where;

    friend void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }
};

// The injected start failure: "file not found" on both systems.
constexpr std::uint32_t kNotFoundCode = 2;

class RunFailure : public StationTest, public ::testing::WithParamInterface<FailureCase> {
protected:
    std::string Tool() const {
        return GetParam().nrfutil ? station_->NrfutilPath() : station_->ToolPath();
    }

    void Apply(Fault fault) {
        switch (fault) {
            case Fault::kNone:
                break;
            case Fault::kNeverStarts:
                injected_.emplace(os::StartFailure{"CreateProcessW", kNotFoundCode,
                                                   os::SystemErrorText(kNotFoundCode)});
                break;
            case Fault::kCrashes:
                station_->SetStandIn("crash=all\n");
                break;
            case Fault::kNotAProgram: {
                // Left without the permission to run it, so /bin/sh does not take it for a script.
                const std::filesystem::path tool = std::filesystem::u8path(Tool());
                std::filesystem::remove(tool);
                os::OpenForAppending(Tool()).Write("not a program\n");
                std::filesystem::permissions(
                    tool, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
                break;
            }
        }
    }

    std::optional<tool::InjectedStartFailure> injected_;
};

TEST_P(RunFailure, SaysWhatHappenedAboveTheMessageAndLogsEveryRunsEnd) {
    const FailureCase& c = GetParam();
    auto& station = Station();
    if (c.nrfutil) {
        station.Write("config.ini",
                      station.Read("config.ini") + "[station]\r\nprogrammer=nrfutil\r\n");
    }
    if (c.where == Where::kProbeQuery) {
        Apply(c.fault);
    }
    TRomForm& form = Shown();
    bool applied = false;
    view_.duringRepaint = [&] {
        // "Working" is painted after the check, before the programming starts.
        if (c.where == Where::kProgramming && view_.verdict == "Working" && !applied) {
            applied = true;
            Apply(c.fault);
        }
    };
    form.Handle(&TRomForm::Button_StartClick);
    injected_.reset();

    const std::string memo = form.MemoText();
    const std::string log = Log();
    const std::string step = c.where == Where::kProbeQuery ? "查询Jlink：" : "烧写：";
    if (c.fault == Fault::kNone) {
        EXPECT_EQ(form.State().Error_Code, 0) << memo;
        EXPECT_THAT(log, HasSubstr(InfoLine("查询Jlink：退出码=0")));
        EXPECT_THAT(log, HasSubstr(InfoLine("烧写：退出码=0")));
        EXPECT_THAT(memo, Not(HasSubstr("编程器")));
        return;
    }
    const bool probe = c.where == Where::kProbeQuery;
    const std::string message =
        probe ? "ERROR:请检查Jink是否已经正确安装。" : "ERROR:写入hex文件失败。";
    EXPECT_EQ(form.State().Error_Code, probe ? kNoProbeAnswer : kProgrammingFailed);
    // The line right above the message, and how the log names the run's end.
    std::smatch found;
    const std::regex aboveMessage("([^\r\n]*)\r\n" + message + "\r\n$");
    ASSERT_TRUE(std::regex_search(memo, found, aboveMessage)) << memo;
    const std::string line = found[1];
    if (c.fault == Fault::kNeverStarts) {
        const std::string text = os::SystemErrorText(kNotFoundCode);
        EXPECT_EQ(line, "编程器无法启动：" + text);
        EXPECT_THAT(
            log, HasSubstr(InfoLine(step + "退出码=无（未启动：CreateProcessW：" + text + "）")));
    } else {
        const std::regex abnormal("编程器异常结束，退出码(0x[0-9A-F]+)。");
        ASSERT_TRUE(std::regex_match(line, found, abnormal)) << memo;
        EXPECT_THAT(log, HasSubstr(InfoLine(step + "退出码=" + found[1].str())));
    }
    EXPECT_THAT(log, HasSubstr(ErrorLine(memo)));
    EXPECT_THAT(view_.serial, Not(HasSubstr("编程器")));  // the label shows the probes only
    EXPECT_LE(CallsAfterTheChecks().size(), 1u);          // no step is tried again
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunFailure,
    ::testing::Values(
        FailureCase{"NormalExit", false, Fault::kNone, Where::kProgramming},
        FailureCase{"ProbeQueryNeverStarts", false, Fault::kNeverStarts, Where::kProbeQuery},
        FailureCase{"ProbeQueryCrashes", false, Fault::kCrashes, Where::kProbeQuery},
        FailureCase{"ProbeQueryToolIsNoProgram", false, Fault::kNotAProgram, Where::kProbeQuery},
        FailureCase{"ProgrammingNeverStarts", false, Fault::kNeverStarts, Where::kProgramming},
        FailureCase{"ProgrammingCrashes", false, Fault::kCrashes, Where::kProgramming},
        FailureCase{"ProgrammingToolIsNoProgram", false, Fault::kNotAProgram, Where::kProgramming},
        FailureCase{"NrfutilListCrashes", true, Fault::kCrashes, Where::kProbeQuery},
        FailureCase{"NrfutilProgramCrashes", true, Fault::kCrashes, Where::kProgramming},
        FailureCase{"NrfutilIsNoProgram", true, Fault::kNotAProgram, Where::kProgramming}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

}  // namespace
