// RunCommand and the tool's command lines with the real /bin/sh.

#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "caller_texts.h"
#include "platform/text.h"
#include "process_checks.h"
#include "temp_folder.h"
#include "tool/output_capture.h"
#include "tool/programmer.h"
#include "tool/run_command.h"
#include "tool/run_failure.h"

namespace {

namespace fs = std::filesystem;
using test_support::EndsSoon;
using test_support::NoChildLeft;
using test_support::OpenDescriptorCount;
using namespace std::chrono_literals;
using test_support::TempFolder;

// Every run must leave no descriptor open and no child behind.
class RunCommandTest : public testing::Test {
protected:
    void SetUp() override { descriptors_ = OpenDescriptorCount(); }
    void TearDown() override {
        EXPECT_EQ(OpenDescriptorCount(), descriptors_);
        EXPECT_TRUE(NoChildLeft());
    }

    std::string Run(const std::string& command, std::chrono::milliseconds limit = 30s,
                    const std::function<void(const tool::RunProgress&)>& whileWaiting = {}) {
        return tool::RunCommand(command, folder_.Path(), limit, whileWaiting,
                                test_support::CallerTexts())
            .output;
    }
    pid_t PidFrom(const std::string& name) const { return std::stoi(folder_.Read(name)); }

    TempFolder folder_;
    int descriptors_ = 0;
};

TEST_F(RunCommandTest, OutputAndErrorArriveInPipeOrder) {
    EXPECT_EQ(Run("echo out1; echo err1 >&2; echo out2; echo err2 >&2"),
              "out1\nerr1\nout2\nerr2\n");
}

TEST_F(RunCommandTest, LongOutputIsJoinedWithoutLoss) {
    std::string expected;
    for (int n = 1; n <= 200000; ++n) {
        expected += std::to_string(n) + "\n";
    }
    ASSERT_GT(expected.size(), 1000000u);
    EXPECT_EQ(Run("seq 1 200000"), expected);
}

TEST_F(RunCommandTest, ZeroByteCutsItsPieceOfTheStream) {
    // The first 255-byte piece is "ab", a zero byte and 252 digits; only that piece is cut.
    EXPECT_EQ(Run("printf 'ab\\000%0252d' 0; printf 'ef\\000gh\\n'"), "abef");
}

TEST_F(RunCommandTest, CharacterSplitAcrossReadsStaysWhole) {
    EXPECT_EQ(Run("printf '\\344'; sleep 0.2; printf '\\270\\255\\n'"), "中\n");
    EXPECT_EQ(Run("printf 'a\\377b'"),
              "a\xEF\xBF\xBD"
              "b");
}

TEST_F(RunCommandTest, CommandRunsInTheWorkingFolder) {
    EXPECT_EQ(Run("printf here > here.txt"), "");
    EXPECT_EQ(folder_.Read("here.txt"), "here");
}

TEST_F(RunCommandTest, MissingWorkingFolderGivesEmptyTextAndSaysWhy) {
    const tool::CommandResult run = tool::RunCommand("echo started", folder_ / "missing", 30s);
    EXPECT_EQ(run.output, "");
    ASSERT_TRUE(run.notStarted);
    EXPECT_EQ(run.notStarted->call, "posix_spawn");
    EXPECT_EQ(run.notStarted->code, static_cast<std::uint32_t>(ENOENT));
    const std::string text = os::SystemErrorText(ENOENT);
    EXPECT_EQ(tool::RunFailureLine(run), "编程器无法启动：" + text);
    EXPECT_EQ(tool::RunEndText(run), "退出码=无（未启动：posix_spawn：" + text + "）");
}

// A signal's end (the interpreter's own or a command's, as the shell reports it) and a command
// the shell could not find or run are abnormal; the tool's own exit codes are not.
TEST_F(RunCommandTest, AbnormalEndsAreToldApartFromTheToolsOwnExitCodes) {
    struct EndCase {
        const char* command;
        int exitCode;
        const char* failureLine;
        const char* endText;
    };
    const EndCase cases[] = {
        {"kill -SEGV $$", 139, "编程器异常结束，退出码0x8B。", "退出码=0x8B"},
        {"sh -c 'kill -SEGV $$'", 139, "编程器异常结束，退出码0x8B。", "退出码=0x8B"},
        {"./no-such-programmer -i", 127, "编程器异常结束，退出码0x7F。", "退出码=0x7F"},
        {"printf x > not-a-program; ./not-a-program", 126, "编程器异常结束，退出码0x7E。",
         "退出码=0x7E"},
        {"exit 58", 58, "", "退出码=58"},
        {"true", 0, "", "退出码=0"},
    };
    for (const EndCase& c : cases) {
        const tool::CommandResult run = tool::RunCommand(c.command, folder_.Path(), 30s);
        EXPECT_FALSE(run.notStarted) << c.command;
        EXPECT_EQ(run.exitCode, c.exitCode) << c.command;
        EXPECT_EQ(tool::RunFailureLine(run), c.failureLine) << c.command;
        EXPECT_EQ(tool::RunEndText(run), c.endText) << c.command;
    }
}

TEST_F(RunCommandTest, NeverEndingCommandIsEndedWithItsTreeAtTheLimit) {
    EXPECT_EQ(
        Run("printf partial; echo $$ > shell.pid; sleep 1000 & echo $! > child.pid; wait", 1s),
        "partial\n" + test_support::CallerTimeoutLine(1) + "\n");
    EXPECT_TRUE(EndsSoon(PidFrom("shell.pid")));
    EXPECT_TRUE(EndsSoon(PidFrom("child.pid")));

    EXPECT_EQ(Run("echo line; sleep 1000", 1s),
              "line\n" + test_support::CallerTimeoutLine(1) + "\n");

    // The caller words the line; the limit comes in whole seconds, rounded up.
    tool::RunOptions options;
    options.timeoutLine = [](long long seconds) { return "late: " + std::to_string(seconds); };
    EXPECT_EQ(tool::RunCommand("echo line; sleep 1000", folder_.Path(), 1500ms, {}, options).output,
              "line\nlate: 2\n");
}

// Tools that leave something behind: each writes the pid of what it left into left.pid.
struct LeftBehind {
    const char* name;
    const char* command;
    std::chrono::milliseconds limit;
    std::string output;
    bool timedOut;
    int exitCode;
};

TEST_F(RunCommandTest, WhatAToolLeavesBehindIsEndedAndTheRunJudgedAsItStands) {
    const LeftBehind cases[] = {
        {"worker holding the pipe", "sleep 1000 & echo $! > left.pid; echo Verify OK; exit 2", 60s,
         "Verify OK\n", false, 2},
        {"worker in its own session holding the pipe",
         "setsid sleep 1000 & echo $! > left.pid; echo done", 60s, "done\n", false, 0},
        {"worker in its own session without the pipe",
         "setsid sleep 1000 >/dev/null 2>&1 & echo $! > left.pid; echo done", 60s, "done\n", false,
         0},
        {"tool that closed its output and runs on",
         "echo $$ > left.pid; echo started; exec sleep 1000 >/dev/null 2>&1", 1s,
         "started\n" + test_support::CallerTimeoutLine(1) + "\n", true, -1},
    };
    for (const LeftBehind& tool : cases) {
        SCOPED_TRACE(tool.name);
        const auto start = std::chrono::steady_clock::now();
        const tool::CommandResult result = tool::RunCommand(
            tool.command, folder_.Path(), tool.limit, {}, test_support::CallerTexts());
        // Far below the limit: the run did not wait for what the tool left running.
        EXPECT_LT(std::chrono::steady_clock::now() - start,
                  tool.limit < 20s ? 20s : tool.limit / 3);
        EXPECT_EQ(result.output, tool.output);
        EXPECT_EQ(result.timedOut, tool.timedOut);
        EXPECT_EQ(result.exitCode, tool.exitCode);
        EXPECT_TRUE(EndsSoon(PidFrom("left.pid")));
        EXPECT_TRUE(NoChildLeft());
    }
}

TEST_F(RunCommandTest, OutputBeyondTheBoundKeepsItsEndWithANote) {
    // About 21 MB of numbered lines, then the marker.
    const tool::CommandResult result = tool::RunCommand(
        "seq 1 3000000; echo Verify OK", folder_.Path(), 60s, {}, test_support::CallerTexts());
    const std::string note = test_support::kCallerCutNote + "\n";
    ASSERT_EQ(result.output.substr(0, note.size()), note);
    const std::string kept = result.output.substr(note.size());
    EXPECT_LE(kept.size(), tool::OutputCapture::kDefaultBound);
    EXPECT_GT(kept.size(), tool::OutputCapture::kDefaultBound - 16);
    // The kept text starts with a whole line and ends with the tool's last lines.
    const int first = std::stoi(kept);
    EXPECT_EQ(kept.substr(0, kept.find('\n', kept.find('\n') + 1) + 1),
              std::to_string(first) + "\n" + std::to_string(first + 1) + "\n");
    EXPECT_EQ(kept.substr(kept.size() - 19), "\n3000000\nVerify OK\n");
    EXPECT_TRUE(tool::ProgrammingSucceeded(result.output));
}

TEST_F(RunCommandTest, CallbackRunsWhileWaitingAndWhileOutputStreams) {
    // The commands only end once the callback has made "go".
    int calls = 0;
    const auto go = [&](const tool::RunProgress&) {
        ++calls;
        test_support::WriteFile(folder_ / "go", "");
    };
    EXPECT_EQ(Run("while [ ! -e go ]; do sleep 0.01; done; printf done", 30s, go), "done");
    ASSERT_GT(calls, 0);

    fs::remove(fs::u8path(folder_ / "go"));
    const std::string streamed =
        Run("while [ ! -e go ]; do printf x; sleep 0.001; done; printf done", 30s, go);
    EXPECT_EQ(streamed.substr(streamed.size() - 4), "done");
    EXPECT_EQ(streamed.find("ERROR:"), std::string::npos);
}

TEST_F(RunCommandTest, CallbackSeesTheNewestWholeLinesAsTheyArrive) {
    // The command waits with half a line printed until the callback has seen the first one.
    std::vector<std::string> seen;
    std::vector<long long> elapsed;
    const auto watch = [&](const tool::RunProgress& progress) {
        elapsed.push_back(progress.elapsed.count());
        if (progress.recentOutput) {
            seen.push_back(*progress.recentOutput);
            test_support::WriteFile(folder_ / "go", "");
        }
    };
    const std::string output =
        Run("printf 'one\\n\\344\\270'; while [ ! -e go ]; do sleep 0.01; done; "
            "printf '\\255\\n'; sleep 0.3; printf 'three\\n'; sleep 0.3",
            30s, watch);
    EXPECT_EQ(output, "one\n中\nthree\n");
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.front(), "one\n");  // never the half line, nor half a character
    EXPECT_EQ(seen.back(), output);
    for (std::size_t i = 1; i < seen.size(); ++i) {
        EXPECT_NE(seen[i], seen[i - 1]) << "given only when it changed";
    }
    EXPECT_TRUE(std::is_sorted(elapsed.begin(), elapsed.end()));
}

TEST(CommandLines, ExactTextForASimplePath) {
    const std::string prog = "/st/bin/nrfjprog";
    EXPECT_EQ(tool::ProgrammerFileName(), "nrfjprog");
    EXPECT_EQ(tool::ProbeQueryCommand(prog), "'/st/bin/nrfjprog' -i ");
    EXPECT_EQ(tool::ProgrammingCommand(prog, "/st/merge.hex", false, tool::kProgPara, ""),
              "'/st/bin/nrfjprog' --program '/st/merge.hex'  --verify --rbp ALL --pinreset  ");
    EXPECT_EQ(tool::ProgrammingCommand(prog, "/st/merge.hex", true, tool::kProgPara, ""),
              "'/st/bin/nrfjprog' -e --program '/st/merge.hex'  --verify --rbp ALL --pinreset  ");
    EXPECT_EQ(tool::HelpCommand(prog), "'/st/bin/nrfjprog' -h ");
    EXPECT_EQ(tool::CommandTemplate(prog, tool::kProgPara, ""),
              "'/st/bin/nrfjprog' --programs @hex   --verify --rbp ALL --pinreset  ");
    // The shell takes "%" literally inside single quotes.
    EXPECT_FALSE(tool::FindRefusedPath("/st/100%/bin/", "/st/100%/bin/nrfjprog", "/st/%HEX%.hex"));
}

TEST_F(RunCommandTest, ToolAndImagePathsReachTheToolWhole) {
    const std::string station = folder_ / "line 1 & $(touch injected); `touch injected`/";
    fs::create_directories(fs::u8path(station));
    const std::string prog = station + tool::ProgrammerFileName();
    test_support::WriteFile(prog, "#!/bin/sh\nfor a; do printf '[%s]' \"$a\"; done\n");
    fs::permissions(fs::u8path(prog), fs::perms::owner_all);
    const std::string hex = station + "it's \"merge\".hex";

    EXPECT_EQ(Run(tool::ProgrammingCommand(prog, hex, true, tool::kProgPara, "")),
              "[-e][--program][" + hex + "][--verify][--rbp][ALL][--pinreset]");
    EXPECT_EQ(Run(tool::ProbeQueryCommand(prog)), "[-i]");
    EXPECT_FALSE(folder_.Exists("injected"));
}

}  // namespace
