// Files on Linux: the station's failure messages, handles and appends of several processes.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "process_checks.h"
#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;
using test_support::OpenDescriptorCount;
using test_support::ReadFile;
using test_support::TempFolder;

// The message of the FileError that action throws, or "<no error>".
std::string FileErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const os::FileError& error) {
        return error.what();
    }
    return "<no error>";
}

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

}  // namespace
