// Two running copies of the station writing the same daily file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <string>

#include "log4me.h"
#include "os.h"
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
    log4me::SetClock([now] { return now; });
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

}  // namespace
