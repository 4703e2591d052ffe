// Commands on Linux: their output, and that ending a run ends everything it started.
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>

#include "platform/child_process.h"
#include "process_checks.h"
#include "temp_folder.h"

namespace {

using test_support::EndsSoon;
using test_support::NoChildLeft;
using test_support::OpenDescriptorCount;
using test_support::TempFolder;

TEST(ChildProcess, MissingWorkingFolderStartsNothing) {
    TempFolder folder;
    const int before = OpenDescriptorCount();
    EXPECT_EQ(os::ChildProcess::Start("printf started > started", folder / "no-such"), nullptr);
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_TRUE(NoChildLeft());
}

TEST(ChildProcess, ReadReturnsNothingWhenNoOutputArrivesInTime) {
    TempFolder folder;
    {
        auto child = os::ChildProcess::Start("sleep 1000", folder.Path());
        ASSERT_NE(child, nullptr);
        char buffer[16];
        EXPECT_EQ(child->Read(buffer, sizeof buffer, 0), 0);
        EXPECT_EQ(child->Read(buffer, sizeof buffer, 1), 0);
    }
    EXPECT_TRUE(NoChildLeft());
}

TEST(ChildProcess, DestructorEndsTheWholeTree) {
    TempFolder folder;
    const int before = OpenDescriptorCount();
    pid_t straggler = 0;
    {
        auto child = os::ChildProcess::Start("sleep 1000 & echo $!; sleep 1000", folder.Path());
        ASSERT_NE(child, nullptr);
        std::string line;
        char buffer[64];
        while (line.find('\n') == std::string::npos) {
            const long count = child->Read(buffer, sizeof buffer, 10000);
            ASSERT_GT(count, 0);
            line.append(buffer, static_cast<std::size_t>(count));
        }
        straggler = std::stoi(line);
    }
    EXPECT_TRUE(EndsSoon(straggler));
    EXPECT_TRUE(NoChildLeft());
    EXPECT_EQ(OpenDescriptorCount(), before);
}

TEST(ChildProcess, TerminateEndsWhatTheInterpreterLeftRunning) {
    TempFolder folder;
    auto child = os::ChildProcess::Start("sleep 1000 >/dev/null 2>&1 & echo $!", folder.Path());
    ASSERT_NE(child, nullptr);
    std::string output;
    char buffer[64];
    for (long count; (count = child->Read(buffer, sizeof buffer, 10000)) > 0;) {
        output.append(buffer, static_cast<std::size_t>(count));
    }
    EXPECT_TRUE(child->WaitForEnd(10000));
    EXPECT_EQ(child->ExitCode(), 0);
    child->Terminate();
    EXPECT_TRUE(EndsSoon(std::stoi(output)));
    EXPECT_TRUE(NoChildLeft());
}

// Everything the child prints up to its first line end.
std::string FirstLine(os::ChildProcess& child) {
    std::string line;
    char buffer[64];
    while (line.find('\n') == std::string::npos) {
        const long count = child.Read(buffer, sizeof buffer, 10000);
        if (count <= 0) {
            break;
        }
        line.append(buffer, static_cast<std::size_t>(count));
    }
    return line;
}

// A process of the station that has nothing to do with a tool run (a helper it started for
// another purpose) must outlive the run, although every orphan of the run comes to the station.
TEST(ChildProcess, EndingARunSparesTheStationsOtherChildren) {
    TempFolder folder;
    const pid_t other = ::fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        ::pause();  // until killed
        ::_exit(0);
    }
    pid_t worker = 0;
    {
        auto child =
            os::ChildProcess::Start("setsid sleep 1000 >/dev/null 2>&1 & echo $!", folder.Path());
        ASSERT_NE(child, nullptr);
        worker = std::stoi(FirstLine(*child));
        EXPECT_TRUE(child->WaitForEnd(10000));
        child->Terminate();
    }
    EXPECT_TRUE(EndsSoon(worker));
    EXPECT_EQ(::waitpid(other, nullptr, WNOHANG), 0) << "the station's other child was ended";
    ::kill(other, SIGKILL);
    EXPECT_EQ(::waitpid(other, nullptr, 0), other);
    EXPECT_TRUE(NoChildLeft());
}

// An interpreter whose end its parent cannot collect (here a tracer holds it, as a process stuck
// in a driver call would be held) must not hold Terminate, and with it the station, for ever.
TEST(ChildProcess, TerminateGivesUpOnAnInterpreterThatCannotBeCollected) {
    TempFolder folder;
    auto child = os::ChildProcess::Start("echo $$; exec sleep 1000", folder.Path());
    ASSERT_NE(child, nullptr);
    const pid_t interpreter = std::stoi(FirstLine(*child));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t tracer = ::fork();
    ASSERT_GE(tracer, 0);
    if (tracer == 0) {
        const char traced = ::ptrace(PTRACE_SEIZE, interpreter, nullptr, nullptr) == 0;
        (void)!::write(ready[1], &traced, 1);
        for (;;) {
            ::pause();  // never collects the tracee's end
        }
    }
    ::close(ready[1]);
    char traced = 0;
    const bool seized = ::read(ready[0], &traced, 1) == 1 && traced == 1;
    ::close(ready[0]);
    if (!seized) {
        ::kill(tracer, SIGKILL);
        ::waitpid(tracer, nullptr, 0);
        GTEST_SKIP() << "this machine does not let the test trace the interpreter";
    }

    auto terminated = std::async(std::launch::async, [&child] { child->Terminate(); });
    const bool returned =
        terminated.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
    EXPECT_TRUE(returned) << "Terminate waited without a bound";

    // Once the tracer has gone, the interpreter's end reaches the station again.
    ::kill(tracer, SIGKILL);
    EXPECT_EQ(::waitpid(tracer, nullptr, 0), tracer);
    terminated.wait();
    EXPECT_TRUE(EndsSoon(interpreter));
    child.reset();
    ::waitpid(interpreter, nullptr, 0);
    EXPECT_TRUE(NoChildLeft());
}

}  // namespace
