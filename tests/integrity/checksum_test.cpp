#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "checksum_of.h"
#include "integrity/checksum.h"
#include "integrity/md5.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "temp_folder.h"

namespace {

using test_support::TempFolder;

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 31 + 7) & 0xff);
    }
    return bytes;
}

// A FileError's message for path: the fixed beginning, then the system's own text, which
// differs between systems and languages but is never empty and never ends in a full stop.
void ExpectFileError(const os::FileError& error, const std::string& verb, const std::string& path) {
    const std::string message = error.what();
    const std::string start = "Cannot " + verb + " file \"" + os::AbsolutePath(path) + "\". ";
    ASSERT_EQ(message.substr(0, start.size()), start) << message;
    const std::string systemText = message.substr(start.size());
    ASSERT_FALSE(systemText.empty()) << message;
    EXPECT_NE(systemText.back(), '.') << message;
    EXPECT_NE(systemText.back(), ' ') << message;
}

// --- The checksum ----------------------------------------------------------------------------

TEST(FileChecksum, EmptyImageHasTheSaltedDigestOfNoBytes) {
    TempFolder folder;
    folder.Write("empty.hex", "");
    const std::string expected = integrity::Md5Hex("jqD41D8CD98F00B204E9800998ECF8427Eqevo");
    EXPECT_EQ(expected, "8C8F8EF2375D291A36A3D509F054B5D4");
    EXPECT_EQ(integrity::FileChecksum(folder / "empty.hex"), expected);
}

TEST(FileChecksum, MatchesKnownChecksumsAcrossReadBlocks) {
    // 5 MiB + 3 spans several of the reader's blocks and ends in a partial one.
    const struct {
        std::size_t size;
        const char* checksum;
    } cases[] = {
        {1, "089FE74900061E534AFC08DCC4F7C284"},
        {64, "A5C66F1808F4FD3D72DA28F15883E6D4"},
        {5 * 1024 * 1024 + 3, "82F7208A60F4D76A4A740405A1269982"},
    };
    TempFolder folder;
    for (const auto& c : cases) {
        folder.Write("image.hex", Pattern(c.size));
        EXPECT_EQ(integrity::FileChecksum(folder / "image.hex"), c.checksum) << c.size;
    }
}

TEST(FileChecksum, AnyChangedByteChangesIt) {
    TempFolder folder;
    const std::string image = ":020000040000FA\r\n:00000001FF\r\n";
    folder.Write("a.hex", image);
    std::string oneByte = image;
    oneByte[5] = '1';
    folder.Write("b.hex", oneByte);
    std::string lineEnds = ":020000040000FA\n:00000001FF\n";
    folder.Write("c.hex", lineEnds);

    const std::string a = integrity::FileChecksum(folder / "a.hex");
    EXPECT_NE(a, integrity::FileChecksum(folder / "b.hex"));
    EXPECT_NE(a, integrity::FileChecksum(folder / "c.hex"));
}

TEST(FileChecksum, IsThirtyTwoUpperCaseHexDigits) {
    const std::string checksum = test_support::ChecksumOf("merge");
    ASSERT_EQ(checksum.size(), 32u);
    EXPECT_EQ(checksum.find_first_not_of("0123456789ABCDEF"), std::string::npos) << checksum;
}

TEST(FileChecksum, MissingImageRaisesCannotOpen) {
    TempFolder folder;
    try {
        integrity::FileChecksum(folder / "missing.hex");
        FAIL() << "no error raised";
    } catch (const os::FileError& error) {
        ExpectFileError(error, "open", folder / "missing.hex");
    }
}

// --- The checksum file -----------------------------------------------------------------------

TEST(ChecksumFile, HoldsExactlyTheThirtyTwoCharacters) {
    TempFolder folder;
    const std::string checksum = test_support::ChecksumOf("image");
    integrity::WriteChecksumFile(folder / "merge.crc", checksum);

    EXPECT_EQ(folder.Read("merge.crc"), checksum);  // 32 bytes: no byte-order mark, no line end
    EXPECT_EQ(integrity::ReadChecksumFile(folder / "merge.crc"), checksum);
    EXPECT_FALSE(folder.Exists("merge.crc.tmp"));
}

TEST(ChecksumFile, ReplacesAnExistingFile) {
    TempFolder folder;
    folder.Write("merge.crc", std::string(100, 'x'));
    const std::string checksum = test_support::ChecksumOf("image");
    integrity::WriteChecksumFile(folder / "merge.crc", checksum);
    EXPECT_EQ(folder.Read("merge.crc"), checksum);
}

TEST(ChecksumFile, EditedContentNoLongerMatches) {
    TempFolder folder;
    const std::string checksum = test_support::ChecksumOf("image");

    folder.Write("merge.crc", checksum + "\r\n");
    EXPECT_NE(integrity::ReadChecksumFile(folder / "merge.crc"), checksum);

    std::string lower = checksum;
    for (char& c : lower) {
        c = static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
    }
    ASSERT_NE(lower, checksum);
    folder.Write("merge.crc", lower);
    EXPECT_NE(integrity::ReadChecksumFile(folder / "merge.crc"), checksum);
}

TEST(ChecksumFile, ReadsContentOfAnyLength) {
    TempFolder folder;
    const std::string content(10000, '7');
    folder.Write("merge.crc", content);
    EXPECT_EQ(integrity::ReadChecksumFile(folder / "merge.crc"), content);
    folder.Write("merge.crc", "");
    EXPECT_EQ(integrity::ReadChecksumFile(folder / "merge.crc"), "");
}

TEST(ChecksumFile, MissingFileRaisesCannotOpen) {
    TempFolder folder;
    try {
        integrity::ReadChecksumFile(folder / "merge.crc");
        FAIL() << "no error raised";
    } catch (const os::FileError& error) {
        ExpectFileError(error, "open", folder / "merge.crc");
    }
}

TEST(ChecksumFile, WriteIntoMissingFolderNamesTheChecksumFile) {
    TempFolder folder;
    const std::string path = folder / "missing" + os::kPathSeparator + "merge.crc";
    try {
        integrity::WriteChecksumFile(path, test_support::ChecksumOf("image"));
        FAIL() << "no error raised";
    } catch (const os::FileError& error) {
        ExpectFileError(error, "create", path);
    }
    EXPECT_FALSE(folder.Exists("missing"));
}

TEST(ChecksumFile, FailedReplaceLeavesNoTemporaryFile) {
    // A folder where the checksum file should be: the temporary file is written, the rename
    // over the folder fails.
    TempFolder folder;
    folder.MakeFolder("merge.crc");
    try {
        integrity::WriteChecksumFile(folder / "merge.crc", test_support::ChecksumOf("image"));
        FAIL() << "no error raised";
    } catch (const os::FileError& error) {
        ExpectFileError(error, "create", folder / "merge.crc");
    }
    EXPECT_FALSE(folder.Exists("merge.crc.tmp"));
}

// --- A station folder that turned hostile ----------------------------------------------------

TEST(ChecksumFaults, FolderInPlaceOfImageOrChecksumFileRaisesCannotOpen) {
    TempFolder folder;
    folder.MakeFolder("merge.hex");
    folder.MakeFolder("merge.crc");
    const struct {
        const char* name;
        std::string (*read)(const std::string&);
    } readers[] = {{"merge.hex", integrity::FileChecksum},
                   {"merge.crc", integrity::ReadChecksumFile}};
    for (const auto& reader : readers) {
        try {
            reader.read(folder / reader.name);
            ADD_FAILURE() << reader.name << ": no error raised";
        } catch (const os::FileError& error) {
            ExpectFileError(error, "open", folder / reader.name);
        }
    }
}

TEST(ChecksumFaults, ImageChangedAfterTheChecksumWasWrittenNoLongerMatches) {
    TempFolder folder;
    folder.Write("merge.hex", Pattern(4096));
    integrity::WriteChecksumFile(folder / "merge.crc",
                                 integrity::FileChecksum(folder / "merge.hex"));
    std::string changed = Pattern(4096);
    changed[2048] ^= 1;  // same size, one bit
    folder.Write("merge.hex", changed);
    EXPECT_NE(integrity::ReadChecksumFile(folder / "merge.crc"),
              integrity::FileChecksum(folder / "merge.hex"));
}

TEST(ChecksumFaults, TemporaryFileLeftByACrashIsHarmlessAndReplaced) {
    TempFolder folder;
    const std::string checksum = test_support::ChecksumOf("image");
    folder.Write("merge.crc", checksum);
    folder.Write("merge.crc.tmp", "9F1C0A");  // a write that died half way
    EXPECT_EQ(integrity::ReadChecksumFile(folder / "merge.crc"), checksum);
    integrity::WriteChecksumFile(folder / "merge.crc", test_support::ChecksumOf("other"));
    EXPECT_EQ(folder.Read("merge.crc"), test_support::ChecksumOf("other"));
    EXPECT_FALSE(folder.Exists("merge.crc.tmp"));
}

}  // namespace
