// Profile strings on Linux: the reader over a real file, read no further than it needs.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/profile.h"
#include "temp_folder.h"

namespace {

using test_support::TempFolder;

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

}  // namespace
