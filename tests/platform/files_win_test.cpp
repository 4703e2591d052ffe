// Files on Windows: share modes as other handles see them, appending from two handles, and the
// messages of files that cannot be opened or created.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "checksum.h"
#include "files.h"
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
    EXPECT_EQ(integrity::FileChecksum(folder / "merge.hex"), integrity::BytesChecksum("abc"));
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

}  // namespace
