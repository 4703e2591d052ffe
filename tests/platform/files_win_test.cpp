// Files on Windows: share modes as other handles see them, appending from two handles, the
// messages of files that cannot be opened or created, and paths longer than MAX_PATH.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "checksum_of.h"
#include "integrity/checksum.h"
#include "platform/files.h"
#include "platform/internal/win32.h"
#include "platform/paths.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

using ::testing::EndsWith;
using ::testing::Not;
using ::testing::StartsWith;

// The message of the FileError that call throws, "" when it throws none.
template <typename Call>
std::string FileErrorOf(Call call) {
    try {
        call();
    } catch (const os::FileError& error) {
        return error.what();
    }
    return "";
}

// The system's text after the path: present, and without what the message drops at its end.
void ExpectSystemText(const std::string& message, const std::string& prefix) {
    ASSERT_THAT(message, StartsWith(prefix));
    const std::string text = message.substr(prefix.size());
    ASSERT_FALSE(text.empty());
    const char last = text.back();
    EXPECT_TRUE(last != '.' && last != ' ' && static_cast<unsigned char>(last) >= ' ') << text;
    EXPECT_THAT(text, Not(EndsWith("。")));  // Wine's texts are Chinese under zh_CN
}

TEST(ShareModesOnWindows, ChecksumFileHeldOpenForWritingCannotBeRead) {
    test_support::TempFolder folder;
    const std::string crc = folder / "merge.crc";
    folder.Write("merge.crc", std::string(32, 'A'));
    os::File writer = os::OpenForAppending(crc);

    ExpectSystemText(FileErrorOf([&] { integrity::ReadChecksumFile(crc); }),
                     "Cannot open file \"" + crc + "\". ");
    ExpectSystemText(FileErrorOf([&] { os::OpenForReading(crc, os::Share::kRead); }),
                     "Cannot open file \"" + crc + "\". ");

    writer.Close();
    EXPECT_EQ(integrity::ReadChecksumFile(crc), std::string(32, 'A'));
}

TEST(ShareModesOnWindows, ImageHeldOpenForWritingStillHasItsChecksum) {
    test_support::TempFolder folder;
    folder.Write("merge.hex", "abc");
    os::File writer = os::OpenForAppending(folder / "merge.hex");
    EXPECT_EQ(integrity::FileChecksum(folder / "merge.hex"), test_support::ChecksumOf("abc"));
}

TEST(ShareModesOnWindows, ExclusiveFileRefusesEveryOtherHandle) {
    test_support::TempFolder folder;
    const std::string path = folder / "merge.crc";
    os::File exclusive = os::CreateForWriting(path, os::Share::kNone);

    EXPECT_THAT(FileErrorOf([&] { os::OpenForReading(path, os::Share::kReadWrite); }),
                StartsWith("Cannot open file \"" + path + "\". "));
    EXPECT_THAT(FileErrorOf([&] { os::OpenForAppending(path); }),
                StartsWith("Cannot open file \"" + path + "\". "));
    EXPECT_THAT(FileErrorOf([&] { os::CreateForWriting(path, os::Share::kReadWrite); }),
                StartsWith("Cannot create file \"" + path + "\". "));
}

TEST(ShareModesOnWindows, ReplacingAFileThatIsHeldOpenFailsAndKeepsIt) {
    test_support::TempFolder folder;
    folder.Write("merge.crc", "old");
    folder.Write("merge.crc.tmp", "new");
    os::File reader = os::OpenForReading(folder / "merge.crc", os::Share::kReadWrite);

    EXPECT_THAT(
        FileErrorOf([&] { os::ReplaceFile(folder / "merge.crc.tmp", folder / "merge.crc"); }),
        StartsWith("Cannot create file \"" + folder / "merge.crc" + "\". "));
    reader.Close();
    EXPECT_EQ(folder.Read("merge.crc"), "old");
}

TEST(AppendingOnWindows, EveryWriteLandsAtTheEndAlsoAfterAnotherHandleWrote) {
    test_support::TempFolder folder;
    const std::string path = folder / "2013-11-25.log";
    os::File first = os::OpenForAppending(path);
    os::File second = os::OpenForAppending(path);

    first.Write("one\r\n");
    second.Write("two\r\n");
    first.Write("three\r\n");
    first.Close();
    second.Close();

    EXPECT_EQ(folder.Read("2013-11-25.log"), "one\r\ntwo\r\nthree\r\n");
}

TEST(FileMessagesOnWindows, RelativeNameIsMadeFullAndTheSystemTextFollows) {
    test_support::TempFolder folder;
    const fs::path before = fs::current_path();
    fs::current_path(fs::u8path(folder.Path()));
    const std::string message =
        FileErrorOf([] { os::OpenForReading("no such.crc", os::Share::kRead); });
    fs::current_path(before);

    ExpectSystemText(message, "Cannot open file \"" + folder / "no such.crc" + "\". ");
}

TEST(FileMessagesOnWindows, AppendingInAMissingFolderCannotCreateTheFile) {
    test_support::TempFolder folder;
    const std::string path = folder / "logs\\2013-11-25.log";
    ExpectSystemText(FileErrorOf([&] { os::OpenForAppending(path); }),
                     "Cannot create file \"" + path + "\". ");
}

TEST(FileMessagesOnWindows, AFolderIsNoFile) {
    test_support::TempFolder folder;
    folder.MakeFolder("merge.hex");
    EXPECT_FALSE(os::FileExists(folder / "merge.hex"));
    EXPECT_TRUE(os::FolderExists(folder / "merge.hex"));
    EXPECT_THAT(FileErrorOf([&] { os::OpenForReading(folder / "merge.hex", os::Share::kRead); }),
                StartsWith("Cannot open file \"" + folder / "merge.hex" + "\". "));
}

// Past MAX_PATH the file calls get the "\\?\" prefix, which also turns off their clean-up of the
// path: doubled separators (the logger's folder has one), "." and ".." are cleaned up first.
TEST(LongPathsOnWindows, OnlyPathsFromMaxPathOnAreGivenThePrefix) {
    using os::win32::FileCallPath;
    const std::string a(300, 'a');
    const std::wstring wideA(300, L'a');
    EXPECT_EQ(FileCallPath("C:\\Station\\\\logs\\x.log"), L"C:\\Station\\\\logs\\x.log");
    const std::string longest = "C:\\" + std::string(MAX_PATH - 4, 'b');
    EXPECT_EQ(FileCallPath(longest), os::win32::Widen(longest));
    EXPECT_EQ(FileCallPath(longest + "b"), L"\\\\?\\" + os::win32::Widen(longest + "b"));
    EXPECT_EQ(FileCallPath("C:\\" + a + "\\\\logs\\.\\x\\..\\2026-12-09.log"),
              L"\\\\?\\C:\\" + wideA + L"\\logs\\2026-12-09.log");
    EXPECT_EQ(FileCallPath("\\\\server\\share\\" + a), L"\\\\?\\UNC\\server\\share\\" + wideA);
    EXPECT_EQ(FileCallPath("\\\\?\\C:\\" + a), L"\\\\?\\C:\\" + wideA);
}

TEST(LongPathsOnWindows, FilesBeyondMaxPathAreWrittenReadMovedAndRemoved) {
    test_support::TempFolder folder;
    std::string deep = folder.Path();
    while (deep.size() < 300) {
        deep += std::string(50, 'd') + "\\";
    }
    fs::create_directories(fs::u8path(deep + "logs"));
    const std::string logs = deep + "\\logs\\";  // the logger's doubled separator
    const std::string file = logs + "2026-12-09.csv";

    os::OpenForAppending(file).Write("row 1\r\n");
    os::OpenForAppending(file).Write("row 2\r\n");
    EXPECT_TRUE(os::FileExists(file));
    EXPECT_TRUE(os::FolderExists(logs));
    ASSERT_TRUE(os::StampOf(file));
    EXPECT_EQ(os::StampOf(file)->size, 14u);
    EXPECT_EQ(os::ReadWholeFile(file, os::Share::kRead), "row 1\r\nrow 2\r\n");
    EXPECT_TRUE(os::MoveUnlessExists(file, file + ".moved"));
    os::ReplaceFileContent(file + ".moved", "new");
    EXPECT_EQ(test_support::ReadFile(deep + "logs\\2026-12-09.csv.moved"), "new");
    os::RemoveFile(file + ".moved");
    EXPECT_FALSE(os::FileExists(file + ".moved"));

    // The C runtime under std::filesystem stops at MAX_PATH: the folders go one by one.
    for (std::string inner = deep + "logs"; inner.size() > folder.Path().size();
         inner = os::FolderPart(inner.substr(0, inner.size() - 1))) {
        EXPECT_TRUE(RemoveDirectoryW(os::win32::FileCallPath(inner).c_str())) << inner;
    }
}

}  // namespace
