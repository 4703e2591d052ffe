// The shared table of INI cases against the system's own GetPrivateProfileStringW. The portable
// reader runs the same table in profile_reader_test.cpp, so the two are held to one answer.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

#include "os.h"
#include "profile_cases.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace profile_cases {

// Names the case in failure messages; defined beside the portable reader's run of the table.
void PrintTo(const ProfileCase& c, std::ostream* out);

}  // namespace profile_cases

namespace {

using profile_cases::ProfileCase;

// The case's file as the system call reads it: UTF-8 text other than ASCII is given in the
// ANSI code page unless the file says it is UTF-8.
std::string SystemFileBytes(const ProfileCase& c) {
    const bool utf8Mark = c.fileBytes.rfind("\xEF\xBB\xBF", 0) == 0;
    return c.utf8Text && !utf8Mark ? os::ToAnsi(c.fileBytes).bytes() : c.fileBytes;
}

std::string SystemAnswer(const ProfileCase& c) {
    test_support::TempFolder folder;
    folder.Write("config.ini", SystemFileBytes(c));
    return os::GetProfileString(c.section, c.key, c.defaultValue, folder / "config.ini");
}

class SystemProfileCase : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(SystemProfileCase, SystemCallGivesTheTablesAnswer) {
    const ProfileCase& c = GetParam();
    EXPECT_EQ(SystemAnswer(c), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, SystemProfileCase, ::testing::ValuesIn(profile_cases::Cases()),
                         [](const ::testing::TestParamInfo<ProfileCase>& info) {
                             return info.param.name;
                         });

TEST(ProfileOnWindows, MissingFileGivesTheDefault) {
    test_support::TempFolder folder;
    EXPECT_EQ(os::GetProfileString("log4me", "path", "logs", folder / "config.ini"), "logs");
}

TEST(ProfileOnWindows, RelativeNameIsReadFromTheCurrentFolder) {
    // The system call alone would look for a bare name in the Windows folder.
    test_support::TempFolder folder;
    folder.Write("config.ini", "[log4me]\r\npath=here\r\n");
    const fs::path before = fs::current_path();
    fs::current_path(fs::u8path(folder.Path()));
    const std::string value = os::GetProfileString("log4me", "path", "d", "config.ini");
    fs::current_path(before);
    EXPECT_EQ(value, "here");
}

}  // namespace
