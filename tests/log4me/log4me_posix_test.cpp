// The daily file on Linux: two running copies writing it, and a log folder that fails while
// the station runs.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>

#include "log4me/log4me.h"
#include "logger_clock.h"
#include "mounted_folder_posix.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "temp_folder.h"

namespace {

void WriteLines(const std::string& appFolder, const std::string& who, int count) {
    log4me::Start(appFolder);
    for (int i = 0; i < count; ++i) {
        log4me::LogInfo(os::AnsiString(who + " line " + std::to_string(i)));
    }
    log4me::Stop();
}

TEST(LoggerTwoProcesses, NoLineOfEitherIsLost) {
    test_support::TempFolder folder;
    folder.Write("config.ini", "[log4me]\r\npath=logs\r\nlevel=info\r\n");
    folder.MakeFolder("logs");
    const os::LocalTime now{2024, 5, 6, 7, 8, 9, 10};
    log4me::SetClock([now] { return test_support::ReadingAt(now); });
    constexpr int kLines = 2000;

    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        WriteLines(folder.Path(), "child", kLines);
        _exit(0);
    }
    WriteLines(folder.Path(), "parent", kLines);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    log4me::SetClock({});

    std::istringstream file(folder.Read("logs/2024-05-06.log"));
    int parentLines = 0;
    int childLines = 0;
    int startLines = 0;
    std::string line;
    while (std::getline(file, line)) {
        ASSERT_EQ(line.substr(0, 20), "07:08:09.010 [info ]") << line;
        ASSERT_EQ(line.back(), '\r') << line;
        const std::string message = line.substr(20, line.size() - 21);
        parentLines += message.rfind("parent line ", 0) == 0 ? 1 : 0;
        childLines += message.rfind("child line ", 0) == 0 ? 1 : 0;
        startLines += message == "log4me:application starting...." ? 1 : 0;
    }
    EXPECT_EQ(parentLines, kLines);
    EXPECT_EQ(childLines, kLines);
    EXPECT_EQ(startLines, 2);
}

// --- A log folder that fails while the station runs --------------------------------------------

namespace fs = std::filesystem;

// Makes the folder read-only for this process, root included: root ignores the mode bits, so
// it gets a read-only file system mounted over the folder instead. Undone on destruction.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const std::string& path) : path_(path), mount_(path, 16384, true) {
        ::chmod(path.c_str(), 0555);
    }
    ~ReadOnlyFolder() { ::chmod(path_.c_str(), 0755); }
    bool Works() const { return mount_.Mounted() || geteuid() != 0; }

private:
    std::string path_;
    test_support::MountedFolder mount_;
};

struct FolderFault {
    const char* name;
    // Done to the station folder after the first line was written.
    std::function<void(const test_support::TempFolder&, const std::string& dailyFile)> fault;
    bool secondLineKept;
    const char* reportStart;  // the start of the failure's line in log4me_err.log; "" for none
};

void PrintTo(const FolderFault& c, std::ostream* out) {
    *out << c.name;
}

class LoggerFolderFault : public ::testing::TestWithParam<FolderFault> {};

TEST_P(LoggerFolderFault, SecondLineLandsOrItsLossIsReported) {
    test_support::TempFolder folder;
    folder.Write("config.ini", "[log4me]\r\npath=logs\r\nlevel=info\r\n");
    folder.MakeFolder("logs");
    os::LocalTime now{2024, 5, 6, 7, 8, 9, 10};
    log4me::SetClock([&now] { return test_support::ReadingAt(now); });
    const std::string dailyFile = folder.Path() + "/logs/" + log4me::DailyFileName(now);
    log4me::Start(folder.Path());
    GetParam().fault(folder, dailyFile);
    now.millisecond = 11;  // lines of one millisecond share one look at the file's name
    log4me::LogError(os::AnsiString("second line"));
    log4me::Stop();
    log4me::SetClock({});

    const std::string report = folder.Read("log4me_err.log");
    // Never read through the link to /dev/full: it has no end.
    const std::string daily = fs::is_symlink(dailyFile) ? "" : test_support::ReadFile(dailyFile);
    EXPECT_EQ(daily.find("07:08:09.011 [error]second line\r\n") != std::string::npos,
              GetParam().secondLineKept)
        << daily;
    const std::string start = GetParam().reportStart;
    if (start.empty()) {
        EXPECT_EQ(report, "");
    } else {
        const std::string expected =
            "2024-05-06 07:08:09.011 " + start + " \"" + os::AbsolutePath(dailyFile) + "\". ";
        EXPECT_EQ(report.substr(0, expected.size()), expected) << report;
    }
}

void RemoveLogs(const test_support::TempFolder& folder, const std::string&) {
    fs::remove_all(folder / "logs");
}

INSTANTIATE_TEST_SUITE_P(
    Table, LoggerFolderFault,
    ::testing::Values(
        FolderFault{"FolderRemoved", RemoveLogs, false, "Cannot create file"},
        FolderFault{"FolderRemovedAndMadeAgain",
                    [](const test_support::TempFolder& folder, const std::string& file) {
                        RemoveLogs(folder, file);
                        folder.MakeFolder("logs");
                    },
                    true, ""},
        FolderFault{"DailyFileDeleted",
                    [](const test_support::TempFolder&, const std::string& file) {
                        std::remove(file.c_str());
                    },
                    true, ""},
        FolderFault{"DailyFileReplaced",
                    [](const test_support::TempFolder& folder, const std::string& file) {
                        folder.Write("other.log", "another file\r\n");
                        std::rename((folder / "other.log").c_str(), file.c_str());
                    },
                    true, ""},
        // The line waits in the pending file beside it, safely on disk: no report.
        FolderFault{"DailyFileRefusesWrites",
                    [](const test_support::TempFolder&, const std::string& file) {
                        std::remove(file.c_str());
                        fs::create_symlink("/dev/full", file);
                    },
                    false, ""}),
    [](const ::testing::TestParamInfo<FolderFault>& info) { return info.param.name; });

TEST(LoggerReadOnlyFolder, LinesWaitInMemoryAndAreReported) {
    test_support::TempFolder folder;
    folder.Write("config.ini", "[log4me]\r\npath=logs\r\nlevel=info\r\n");
    ReadOnlyFolder readOnly(folder / "logs");
    if (!readOnly.Works()) {
        GTEST_SKIP() << "running as root without the right to mount: no read-only folder";
    }
    const os::LocalTime now{2024, 5, 6, 7, 8, 9, 10};
    log4me::SetClock([now] { return test_support::ReadingAt(now); });
    log4me::Start(folder.Path());
    log4me::LogError(os::AnsiString("lost"));
    log4me::Stop();
    log4me::SetClock({});

    const std::string dailyFile = os::AbsolutePath(folder.Path() + "/logs/2024-05-06.log");
    std::istringstream report(folder.Read("log4me_err.log"));
    int lines = 0;
    for (std::string line; std::getline(report, line); ++lines) {
        EXPECT_EQ(
            line.rfind("2024-05-06 07:08:09.010 Cannot create file \"" + dailyFile + "\". ", 0), 0u)
            << line;
    }
    EXPECT_EQ(lines, 3) << "start line, error line, stop line";
    EXPECT_FALSE(fs::exists(dailyFile));
}

}  // namespace
