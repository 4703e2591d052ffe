// The Linux side of the OS layer: what it does with the real shell, files and processes.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "os.h"
#include "process_checks.h"
#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;
using test_support::EndsSoon;
using test_support::NoChildLeft;
using test_support::OpenDescriptorCount;
using test_support::ReadFile;
using test_support::TempFolder;

// Everything the command prints, read to the end of the pipe.
std::string RunToEnd(const std::string& command, const std::string& folder) {
    auto child = os::ChildProcess::Start(command, folder);
    if (!child) {
        return "<not started>";
    }
    std::string output;
    char buffer[4096];
    for (int idle = 0; idle < 6;) {
        const long count = child->Read(buffer, sizeof buffer, 5000);
        if (count == os::ChildProcess::kEnded) {
            break;
        }
        idle = count == 0 ? idle + 1 : 0;
        output.append(buffer, static_cast<std::size_t>(count));
    }
    child->WaitForEnd(10000);
    return output;
}

// The message of the FileError that action throws, or "<no error>".
std::string FileErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const os::FileError& error) {
        return error.what();
    }
    return "<no error>";
}

// ---------------------------------------------------------------------------------------------

TEST(AnsiText, Utf8PassesThroughBothWays) {
    const std::string text = "PASS ERROR:写入hex文件失败。 ✓ \xF0\x9F\x98\x80";
    EXPECT_EQ(os::FromAnsi(text), text);
    EXPECT_EQ(os::ToAnsi(text).bytes(), text);
}

TEST(AnsiText, EachBadSequenceBecomesOneReplacementCharacter) {
    const std::string r = "\xEF\xBF\xBD";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a\xFFz", "a" + r + "z"},
        {"\x80", r},                         // a continuation byte alone
        {"\xE4\xB8", r},                     // a character cut off at the end
        {"\xE4\xB8z", r + "z"},              // ... or in the middle
        {"\xC0\xAF", r + r},                 // an overlong form
        {"\xED\xA0\x80", r + r + r},         // a surrogate
        {"\xF4\x90\x80\x80", r + r + r + r}  // above U+10FFFF
    };
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(os::FromAnsi(bytes), expected) << testing::PrintToString(bytes);
    }
    EXPECT_EQ(os::ToAnsi("a\xFF\xE4\xB8z").bytes(), "a??z");
}

TEST(PosixPaths, RelativePathsAreMadeAbsolute) {
    const std::string current = fs::current_path().string();
    EXPECT_EQ(os::AbsolutePath("merge.hex"), current + "/merge.hex");
    EXPECT_EQ(os::AbsolutePath("./logs/a.log"), current + "/logs/a.log");
    EXPECT_EQ(os::AbsolutePath("/station/merge.hex"), "/station/merge.hex");
}

TEST(PosixPaths, ExecutablePathIsThisProgram) {
    const std::string path = os::ExecutablePath();
    EXPECT_EQ(os::NamePart(path), "platform_tests");
    EXPECT_TRUE(os::FileExists(path));
}

TEST(QuoteArgument, ShellPassesEveryCharacterAsPartOfOneArgument) {
    TempFolder folder;
    const std::vector<std::string> arguments = {
        "two words",
        "",
        "a&touch injected",
        "a;touch injected",
        "a|touch injected",
        "a>injected",
        "$(touch injected)",
        "`touch injected`",
        "it's",
        "''",
        "'\\''",
        "say \"hi\"",
        "back\\slash\\",
        "line\nbreak\n",
        "$HOME ${PATH}",
        "* ~ ? [a]",
        "^(x) <y",
        "tab\there",
        "中文 路径",
    };
    for (const std::string& argument : arguments) {
        const std::string quoted = os::QuoteArgument(argument);
        EXPECT_EQ(RunToEnd("printf '%s' " + quoted, folder.Path()), argument);
        EXPECT_EQ(RunToEnd("set -- " + quoted + "; printf %s $#", folder.Path()), "1") << argument;
    }
    EXPECT_FALSE(folder.Exists("injected"));
}

// ---------------------------------------------------------------------------------------------

TEST(FileErrors, MessagesNameTheAbsolutePathAndTheSystemText) {
    TempFolder folder;
    folder.MakeFolder("logs");
    const std::string missing = "romtool-missing-" + std::to_string(::getpid()) + ".crc";
    const std::string current = fs::current_path().string();

    EXPECT_EQ(FileErrorOf([&] { os::OpenForReading(missing, os::Share::kRead); }),
              "Cannot open file \"" + current + "/" + missing + "\". No such file or directory");
    EXPECT_EQ(FileErrorOf([&] { os::OpenForReading(folder / "logs", os::Share::kRead); }),
              "Cannot open file \"" + folder / "logs" + "\". Is a directory");
    EXPECT_EQ(FileErrorOf([&] { os::CreateForWriting(folder / "no/merge.crc", os::Share::kNone); }),
              "Cannot create file \"" + folder / "no/merge.crc" + "\". No such file or directory");
    EXPECT_EQ(FileErrorOf([&] { os::OpenForAppending(folder / "no/day.log"); }),
              "Cannot create file \"" + folder / "no/day.log" + "\". No such file or directory");
    EXPECT_EQ(FileErrorOf([&] { os::OpenForAppending(folder / "logs"); }),
              "Cannot open file \"" + folder / "logs" + "\". Is a directory");
    EXPECT_EQ(FileErrorOf([&] { os::ReplaceFile(folder / "gone.tmp", folder / "merge.crc"); }),
              "Cannot create file \"" + folder / "merge.crc" + "\". No such file or directory");
}

TEST(FileErrors, ReadAndWriteFailuresAreReported) {
    TempFolder folder;
    folder.Write("merge.crc", "0123");
    char buffer[4];
    os::File writable = os::CreateForWriting(folder / "out.txt", os::Share::kNone);
    EXPECT_EQ(FileErrorOf([&] { writable.Read(buffer, sizeof buffer); }),
              "Cannot read file \"" + folder / "out.txt" + "\". Bad file descriptor");
    os::File readable = os::OpenForReading(folder / "merge.crc", os::Share::kRead);
    EXPECT_EQ(FileErrorOf([&] { readable.Write("x"); }),
              "Cannot write file \"" + folder / "merge.crc" + "\". Bad file descriptor");
}

TEST(Files, CreatingAndReplacingOverwriteTheOldContent) {
    TempFolder folder;
    folder.Write("merge.crc", "an older and longer content");
    os::CreateForWriting(folder / "merge.crc", os::Share::kNone).Write("new");
    EXPECT_EQ(folder.Read("merge.crc"), "new");

    folder.Write("merge.crc.tmp", "newest");
    os::ReplaceFile(folder / "merge.crc.tmp", folder / "merge.crc");
    EXPECT_EQ(folder.Read("merge.crc"), "newest");
    EXPECT_FALSE(folder.Exists("merge.crc.tmp"));
}

TEST(Files, ExistenceTellsFilesFromFolders) {
    TempFolder folder;
    folder.Write("config.ini", "");
    folder.MakeFolder("logs");
    EXPECT_TRUE(os::FileExists(folder / "config.ini"));
    EXPECT_FALSE(os::FolderExists(folder / "config.ini"));
    EXPECT_TRUE(os::FolderExists(folder / "logs"));
    EXPECT_FALSE(os::FileExists(folder / "logs"));
    EXPECT_FALSE(os::FileExists(folder / "missing"));
    os::RemoveFile(folder / "config.ini");
    os::RemoveFile(folder / "missing");
    EXPECT_FALSE(os::FileExists(folder / "config.ini"));
}

TEST(Files, EveryHandleIsClosedOnceWhateverItsMoves) {
    TempFolder folder;
    const int before = OpenDescriptorCount();
    {
        os::File first = os::CreateForWriting(folder / "a.txt", os::Share::kNone);
        os::File second = std::move(first);
        EXPECT_FALSE(first.IsOpen());
        second.Write("moved");
        os::File third = os::OpenForAppending(folder / "b.txt");
        third = std::move(second);  // closes b.txt's handle
        third.Write(" twice");
        EXPECT_EQ(OpenDescriptorCount(), before + 1);
    }
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_EQ(folder.Read("a.txt"), "moved twice");
}

TEST(Files, AppendsOfTwoProcessesAllArriveWhole) {
    TempFolder folder;
    const std::string path = folder / "daily.log";
    constexpr int kLines = 2000;
    const auto line = [](char writer, int n) {
        return std::string(1, writer) + " " + std::to_string(n) + " " + std::string(60, writer);
    };
    std::vector<pid_t> writers;
    for (char writer : {'A', 'B'}) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int code = 0;
            try {
                os::File file = os::OpenForAppending(path);
                for (int n = 0; n < kLines; ++n) {
                    file.Write(line(writer, n) + "\n");
                }
            } catch (...) {
                code = 1;
            }
            ::_exit(code);
        }
        writers.push_back(pid);
    }
    for (pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    std::istringstream lines(ReadFile(path));
    std::map<char, int> next;  // each writer's lines arrive whole and in its own order
    for (std::string text; std::getline(lines, text);) {
        const char writer = text.empty() ? '?' : text[0];
        ASSERT_EQ(text, line(writer, next[writer]++));
    }
    EXPECT_EQ(next['A'], kLines);
    EXPECT_EQ(next['B'], kLines);
}

TEST(Profile, FileIsReadInPiecesAndMissingFileGivesTheDefault) {
    TempFolder folder;
    const std::string bytes = "[log4me]\r\n;" + std::string(200000, 'x') +
                              "\r\npath=\xE6\x97\xA5\xE5\xBF\x97\r\n" + std::string(70000, ';') +
                              "\r\nlevel=info\r\n";
    folder.Write("config.ini", bytes);
    EXPECT_EQ(os::GetProfileString("log4me", "level", "error", folder / "config.ini"),
              os::ReadProfileString(bytes, "log4me", "level", "error"));
    EXPECT_EQ(os::GetProfileString("log4me", "level", "error  ", folder / "missing.ini"),
              os::ReadProfileString("", "log4me", "level", "error  "));
}

TEST(Profile, ReadingStopsOnceTheValueIsFound) {
    // A pipe that never ends stands for a file of any size: the answer comes all the same.
    TempFolder folder;
    const std::string fifo = folder / "config.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        const int fd = ::open(fifo.c_str(), O_WRONLY);
        const std::string head = "[log4me]\npath=first\n[log4me]\nlevel=x\n";
        (void)!::write(fd, head.data(), head.size());
        ::pause();  // keeps the pipe open until killed
        ::_exit(0);
    }
    EXPECT_EQ(os::GetProfileString("log4me", "path", "d", fifo), "first");
    ::kill(writer, SIGKILL);
    ASSERT_EQ(::waitpid(writer, nullptr, 0), writer);
}

TEST(FileStamp, TellsVersionsApartOrSaysItCannotYet) {
    TempFolder folder;
    EXPECT_FALSE(os::StampOf(folder / "missing"));
    folder.MakeFolder("sub");
    EXPECT_FALSE(os::StampOf(folder / "sub"));
    folder.Write("config.ini", "level=info");
    const auto first = os::StampOf(folder / "config.ini");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->size, 10u);
    // Just written: a second write of the same size may share the time stamp, so the stamp
    // must not be trusted yet.
    EXPECT_FALSE(first->settled);
    folder.Write("other.ini", "level=warn");
    fs::rename(folder / "other.ini", folder / "config.ini");
    EXPECT_FALSE(first->SameVersion(*os::StampOf(folder / "config.ini")));
}

TEST(Clock, LocalNowIsTheCurrentLocalTime) {
    const std::time_t before = std::time(nullptr);
    const os::LocalTime now = os::LocalNow();
    const std::time_t after = std::time(nullptr);
    std::tm parts{};
    parts.tm_year = now.year - 1900;
    parts.tm_mon = now.month - 1;
    parts.tm_mday = now.day;
    parts.tm_hour = now.hour;
    parts.tm_min = now.minute;
    parts.tm_sec = now.second;
    parts.tm_isdst = -1;
    const std::time_t shown = std::mktime(&parts);
    EXPECT_LE(before, shown);
    EXPECT_LE(shown, after);
    EXPECT_GE(now.millisecond, 0);
    EXPECT_LE(now.millisecond, 999);
}

// ---------------------------------------------------------------------------------------------

class InstanceLockTest : public testing::Test {
protected:
    // Whether a new process finds name already claimed.
    static bool ClaimedElsewhere(const std::string& name) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const os::InstanceLock lock(name);
            ::_exit(lock.AlreadyRunning() ? 1 : 0);
        }
        int status = 0;
        return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
               WEXITSTATUS(status) == 1;
    }
};

// Another user takes what the claim of this user would use: the lock file an older station used
// in /tmp (flock'ed), or the socket name itself. Neither may make this copy give up, and a
// claim that cannot be checked says so.
TEST_F(InstanceLockTest, AnotherUserCannotClaimTheNameForUs) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to act as another user";
    }
    const std::string title = "Squatted" + std::to_string(::getpid());
    const test_support::ForeignInstanceClaim squatter(title);
    ASSERT_TRUE(squatter.Held());
    const os::InstanceLock lock(title);
    EXPECT_FALSE(lock.AlreadyRunning());
    EXPECT_NE(lock.Problem().find("another user (uid 65534"), std::string::npos) << lock.Problem();
}

TEST_F(InstanceLockTest, NameIsClaimedWhileTheObjectLives) {
    const std::string title = "ROM/Tool 烧录";  // characters that cannot stand in a file name
    {
        const os::InstanceLock first(title);
        EXPECT_FALSE(first.AlreadyRunning());
        EXPECT_EQ(first.Problem(), "");
        EXPECT_TRUE(ClaimedElsewhere(title));
        EXPECT_FALSE(ClaimedElsewhere("ROM_Tool 烧录"));
        EXPECT_FALSE(ClaimedElsewhere("ROM%2FTool 烧录"));
    }
    EXPECT_FALSE(ClaimedElsewhere(title));
}

TEST_F(InstanceLockTest, ClaimEndsWithTheHoldingProcess) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const os::InstanceLock lock("ROM Tool");
        char done = 1;
        (void)!::write(ready[1], &done, 1);
        ::pause();  // until killed
        ::_exit(0);
    }
    ::close(ready[1]);
    char done = 0;
    ASSERT_EQ(::read(ready[0], &done, 1), 1);
    ::close(ready[0]);
    EXPECT_TRUE(ClaimedElsewhere("ROM Tool"));
    ::kill(holder, SIGKILL);
    ASSERT_EQ(::waitpid(holder, nullptr, 0), holder);
    EXPECT_FALSE(ClaimedElsewhere("ROM Tool"));
}

// ---------------------------------------------------------------------------------------------

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

}  // namespace
