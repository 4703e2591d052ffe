// Commands run through cmd.exe: what comes back through the pipe, what reaches the program, and
// that ending a run ends everything it started.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "os.h"
#include "programmer.h"
#include "run_command.h"
#include "temp_folder.h"
#include "win32.h"
#include "win_helper.h"

namespace fs = std::filesystem;

namespace {

using ::testing::EndsWith;
using ::testing::StartsWith;

// Far beyond what any of these commands needs; only a fault ever reaches it.
constexpr std::chrono::milliseconds kGenerousLimit{60000};

std::string RunHelper(const std::string& arguments) {
    test_support::TempFolder folder;
    return tool::RunCommand(win_helper::Command(arguments), folder.Path(), kGenerousLimit).output;
}

// The process id from the helper's "child <id>" line, 0 when there is none.
DWORD ChildId(const std::string& output) {
    const std::size_t at = output.find("child ");
    return at == std::string::npos ? 0 : std::stoul(output.substr(at + 6));
}

// True once the process has ended (or is gone already), waiting for it up to a generous bound.
bool ProcessEnds(DWORD id) {
    os::win32::Handle process(OpenProcess(SYNCHRONIZE, FALSE, id));
    return !process.IsValid() || WaitForSingleObject(process.Get(), 30000) == WAIT_OBJECT_0;
}

// Reads from the child until its output contains text or the pipe ends; returns what came.
std::string ReadUntil(os::ChildProcess& child, const std::string& text) {
    std::string output;
    char buffer[256];
    for (int wait = 0; wait < 60 && output.find(text) == std::string::npos; ++wait) {
        const long count = child.Read(buffer, sizeof buffer, 1000);
        if (count == os::ChildProcess::kEnded) {
            break;
        }
        output.append(buffer, static_cast<std::size_t>(count));
    }
    return output;
}

// True when the pipe reports its end, i.e. every process holding its write end has ended.
bool PipeEnds(os::ChildProcess& child) {
    char buffer[256];
    for (int wait = 0; wait < 60; ++wait) {
        if (child.Read(buffer, sizeof buffer, 1000) == os::ChildProcess::kEnded) {
            return true;
        }
    }
    return false;
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

    const std::string output = tool::RunCommand(tool::ProgrammingCommand(program, image, true),
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
        {"tree", std::chrono::milliseconds(5000), true, tool::TimeoutLine(5) + "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.helper);
        test_support::TempFolder folder;
        const auto start = std::chrono::steady_clock::now();
        const tool::CommandResult result =
            tool::RunCommand(win_helper::Command(c.helper), folder.Path(), c.limit);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

        const DWORD child = ChildId(result.output);
        ASSERT_NE(child, 0u) << result.output;
        EXPECT_EQ(result.output, "child " + std::to_string(child) + "\r\n" + c.lastLine);
        EXPECT_EQ(result.timedOut, c.timedOut);
        EXPECT_EQ(result.exitCode, c.timedOut ? -1 : 0);
        EXPECT_TRUE(ProcessEnds(child));
    }
}

TEST(ChildProcessOnWindows, TerminateEndsEveryProcessOfTheTree) {
    test_support::TempFolder folder;
    auto child = os::ChildProcess::Start(win_helper::Command("tree"), folder.Path());
    ASSERT_TRUE(child);
    const DWORD grandchild = ChildId(ReadUntil(*child, "\n"));
    ASSERT_NE(grandchild, 0u);

    child->Terminate();

    // The grandchild holds the pipe's write end too: the pipe ends only when it has gone.
    EXPECT_TRUE(PipeEnds(*child));
    EXPECT_TRUE(ProcessEnds(grandchild));
}

TEST(ChildProcessOnWindows, DestroyingItEndsEveryProcessOfTheTree) {
    test_support::TempFolder folder;
    auto child = os::ChildProcess::Start(win_helper::Command("tree"), folder.Path());
    ASSERT_TRUE(child);
    const DWORD grandchild = ChildId(ReadUntil(*child, "\n"));
    ASSERT_NE(grandchild, 0u);

    child.reset();

    EXPECT_TRUE(ProcessEnds(grandchild));
}

TEST(ChildProcessOnWindows, MissingWorkingFolderStartsNothing) {
    test_support::TempFolder folder;
    EXPECT_FALSE(os::ChildProcess::Start("echo x", folder / "missing"));
}

}  // namespace
