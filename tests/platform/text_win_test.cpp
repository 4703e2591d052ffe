// Text and paths on Windows, run with code page 936 as the ANSI code page.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace {

TEST(AnsiOnWindows, ChineseTextIsGbk) {
    EXPECT_EQ(os::ToAnsi("程序启动自检").bytes(),
              "\xB3\xCC\xD0\xF2\xC6\xF4\xB6\xAF\xD7\xD4\xBC\xEC");
    EXPECT_EQ(os::FromAnsi("\xD2\xD1"), "已");
    EXPECT_EQ(os::FromAnsi(os::ToAnsi("ERROR:写入hex文件失败。").bytes()),
              "ERROR:写入hex文件失败。");
}

TEST(AnsiOnWindows, CharacterOutsideTheCodePageBecomesQuestionMark) {
    EXPECT_EQ(os::ToAnsi("a\xE0\xB8\x81"
                         "b")
                  .bytes(),
              "a?b");  // THAI CHARACTER KO KAI
}

TEST(AnsiOnWindows, BytesThatDoNotDecodeBecomeReplacementCharacters) {
    // A lead byte at the very end, and one followed by a byte that cannot trail it: only the
    // lead byte is lost, the byte after it is kept.
    EXPECT_EQ(os::FromAnsi("ok\xD2"), "ok\xEF\xBF\xBD");
    EXPECT_EQ(os::FromAnsi("\xD2\nok"), "\xEF\xBF\xBD\nok");
    EXPECT_EQ(os::FromAnsi("\xD2\xD1\xD2"), "已\xEF\xBF\xBD");
}

TEST(AnsiOnWindows, ZeroBytesAreKept) {
    EXPECT_EQ(os::FromAnsi(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(PathsOnWindows, ExecutablePathIsTheFullPathOfThisProgram) {
    const std::string path = os::ExecutablePath();
    EXPECT_EQ(os::NamePart(path), "platform_tests.exe");
    EXPECT_EQ(os::AbsolutePath(path), path);
    EXPECT_TRUE(os::FileExists(path));
}

TEST(PathsOnWindows, RelativePathIsMadeFullAgainstTheCurrentFolder) {
    const std::string folder = fs::current_path().u8string();
    EXPECT_EQ(os::AbsolutePath("merge.hex"), folder + "\\merge.hex");
    EXPECT_EQ(os::AbsolutePath("bin\\nrfjprog.exe"), folder + "\\bin\\nrfjprog.exe");
}

TEST(PathsOnWindows, AbsolutePathIsReturnedAsItIs) {
    EXPECT_EQ(os::AbsolutePath("C:\\station\\\\logs\\"), "C:\\station\\\\logs\\");
    EXPECT_EQ(os::AbsolutePath("\\\\server\\share\\merge.hex"), "\\\\server\\share\\merge.hex");
}

TEST(PathsOnWindows, FolderBreaksAreBackslashAndColon) {
    EXPECT_EQ(os::FolderPart("C:merge.hex"), "C:");
    EXPECT_EQ(os::NamePart("C:\\station\\merge.hex"), "merge.hex");
    EXPECT_EQ(os::NamePart("C:/station/merge.hex"), "/station/merge.hex");
}

}  // namespace
