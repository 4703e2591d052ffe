// Commands run through cmd.exe: what comes back through the pipe, what reaches the program, and
// that ending a run ends everything it started.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "caller_texts.h"
#include "platform/text.h"
#include "temp_folder.h"
#include "tool/programmer.h"
#include "tool/run_command.h"
#include "tool/run_failure.h"
#include "win_helper.h"

namespace fs = std::filesystem;

namespace {

using win_helper::ChildId;
using win_helper::ProcessEnds;

// Far beyond what any of these commands needs; only a fault ever reaches it.
constexpr std::chrono::milliseconds kGenerousLimit{60000};

std::string RunHelper(const std::string& arguments) {
    test_support::TempFolder folder;
    return tool::RunCommand(win_helper::Command(arguments), folder.Path(), kGenerousLimit).output;
}

TEST(RunCommandOnWindows, MissingWorkingFolderSaysWhyNothingStarted) {
    test_support::TempFolder folder;
    const tool::CommandResult run = tool::RunCommand("echo x", folder / "missing", kGenerousLimit);
    EXPECT_EQ(run.output, "");
    ASSERT_TRUE(run.notStarted);
    EXPECT_EQ(run.notStarted->call, "CreateProcessW");
    EXPECT_NE(run.notStarted->code, 0u);
    const std::string text = os::SystemErrorText(run.notStarted->code);
    EXPECT_EQ(tool::RunFailureLine(run), "编程器无法启动：" + text);
    EXPECT_EQ(tool::RunEndText(run), "退出码=无（未启动：CreateProcessW：" + text + "）");
}

// An exception code and cmd's 9009 are abnormal ends; the tool's own exit codes are not.
TEST(RunCommandOnWindows, AbnormalEndsAreToldApartFromTheToolsOwnExitCodes) {
    struct EndCase {
        const char* command;
        unsigned exitCode;
        const char* failureLine;
        const char* endText;
    };
    const EndCase cases[] = {
        {"exit -1073741819", 0xC0000005, "编程器异常结束，退出码0xC0000005。", "退出码=0xC0000005"},
        {"no-such-programmer.exe -i", 9009, "编程器异常结束，退出码0x2331。", "退出码=0x2331"},
        {"exit 58", 58, "", "退出码=58"},
    };
    test_support::TempFolder folder;
    for (const EndCase& c : cases) {
        const tool::CommandResult run = tool::RunCommand(c.command, folder.Path(), kGenerousLimit);
        EXPECT_EQ(static_cast<unsigned>(run.exitCode), c.exitCode) << c.command;
        EXPECT_EQ(tool::RunFailureLine(run), c.failureLine) << c.command;
        EXPECT_EQ(tool::RunEndText(run), c.endText) << c.command;
    }
}

TEST(RunCommandOnWindows, StandardOutputAndErrorArriveInterleavedInOneText) {
    EXPECT_EQ(RunHelper("interleave"), "out 1\r\nerr 1\r\nout 2\r\nerr 2\r\n");
}

TEST(RunCommandOnWindows, LongOutputArrivesWhole) {
    // Far more than the pipe holds, so it must be drained while the program still writes.
    const int count = 20000;
    std::string expected;
    for (int i = 0; i < count; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "line %06d\r\n", i);
        expected += line;
    }
    EXPECT_EQ(RunHelper("lines " + std::to_string(count)), expected);
}

TEST(RunCommandOnWindows, ZeroByteCutsItsPiece) {
    EXPECT_EQ(RunHelper("bytes 6f6e650074776f0d0a"), "one");
}

TEST(RunCommandOnWindows, GbkCharacterSplitAcrossTwoReadsIsDecodedWhole) {
    // 254 bytes, then the two bytes of "已" in code page 936: the first read of 255 bytes ends
    // after the character's lead byte.
    std::string hex;
    for (int i = 0; i < 254; ++i) {
        hex += "61";
    }
    hex += "d2d1";
    EXPECT_EQ(RunHelper("bytes " + hex), std::string(254, 'a') + "已");
}

TEST(RunCommandOnWindows, QuotedPathsReachTheProgramAsOneArgumentEach) {
    test_support::TempFolder folder;
    folder.MakeFolder("烧写 工具 & (2)");
    const std::string program = folder / "烧写 工具 & (2)\\nrfjprog.exe";
    fs::copy_file(fs::u8path(win_helper::Path()), fs::u8path(program));
    const std::string image = folder / "merge & echo injected (v2) ^ | x.hex";

    const std::string output =
        tool::RunCommand(tool::ProgrammingCommand(program, image, true, tool::kProgPara, ""),
                         folder.Path(), kGenerousLimit)
            .output;

    EXPECT_EQ(output, "[-e]\r\n[--program]\r\n[" + image +
                          "]\r\n[--verify]\r\n[--rbp]\r\n[ALL]\r\n[--pinreset]\r\n");
}

TEST(RunCommandOnWindows, RunsInTheWorkingFolder) {
    test_support::TempFolder folder;
    folder.MakeFolder("bin");
    EXPECT_EQ(tool::RunCommand("cd", folder / "bin", kGenerousLimit).output, folder / "bin\r\n");
}

TEST(RunCommandOnWindows, EndsWithTheToolOrAtTheLimitAndEndsTheWholeTree) {
    struct Case {
        const char* helper;
        std::chrono::milliseconds limit;
        bool timedOut;
        std::string lastLine;
    };
    const Case cases[] = {
        // The tool ends at once, its child holds the pipe: judged after the grace period.
        {"leave", kGenerousLimit, false, ""},
        // The tool never ends: ended at the limit, with the timeout line.
        {"tree", std::chrono::milliseconds(5000), true,
         test_support::CallerTimeoutLine(5) + "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.helper);
        test_support::TempFolder folder;
        const auto start = std::chrono::steady_clock::now();
        const tool::CommandResult result = tool::RunCommand(
            win_helper::Command(c.helper), folder.Path(), c.limit, {}, test_support::CallerTexts());
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

        const DWORD child = ChildId(result.output);
        ASSERT_NE(child, 0u) << result.output;
        EXPECT_EQ(result.output, "child " + std::to_string(child) + "\r\n" + c.lastLine);
        EXPECT_EQ(result.timedOut, c.timedOut);
        EXPECT_EQ(result.exitCode, c.timedOut ? -1 : 0);
        EXPECT_TRUE(ProcessEnds(child));
    }
}

}  // namespace
