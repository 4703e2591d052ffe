// The interpreter's process tree on Windows: a Job object that ends everything it started.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/child_process.h"
#include "temp_folder.h"
#include "win_helper.h"

namespace {

using win_helper::ChildId;
using win_helper::ProcessEnds;

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

// A tool that lingers holds nothing of the station's but its own pipe: a file the station has
// open through an inheritable handle is not handed down to it.
TEST(ChildProcessOnWindows, InheritsOnlyItsOwnPipe) {
    test_support::TempFolder folder;
    const std::wstring path = os::win32::Widen(folder / "held.log");
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    os::win32::Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, &inheritable, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.IsValid());
    auto child = os::ChildProcess::Start(win_helper::Command("tree"), folder.Path());
    ASSERT_TRUE(child);
    ASSERT_NE(ChildId(ReadUntil(*child, "\n")), 0u);  // the whole tree has started
    file.Reset();

    // Were the handle inherited, the tree would hold the file against this exclusive open.
    const os::win32::Handle again(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(again.IsValid()) << GetLastError();
}

TEST(ChildProcessOnWindows, MissingWorkingFolderStartsNothing) {
    test_support::TempFolder folder;
    EXPECT_FALSE(os::ChildProcess::Start("echo x", folder / "missing"));
}

}  // namespace
