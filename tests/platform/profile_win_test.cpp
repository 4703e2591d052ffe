// The shared table of INI cases against the system's own GetPrivateProfileStringW. The portable
// reader runs the same table in profile_reader_test.cpp, so the two are held to one answer.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/profile.h"
#include "platform/text.h"
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
// ANSI code page.
std::string SystemFileBytes(const ProfileCase& c) {
    return c.utf8Text ? os::ToAnsi(c.fileBytes).bytes() : c.fileBytes;
}

// Cases where Wine's call answers otherwise than Windows', which the table follows.
bool WineDiffersFromWindows(const ProfileCase& c) {
    // Wine skips a UTF-8 byte-order mark; Windows reads the file in the ANSI code page, so the
    // mark's bytes begin the first line and "[log4me]" after them is no section header.
    return c.name == "Utf8ByteOrderMark";
}

std::string SystemAnswer(const ProfileCase& c) {
    test_support::TempFolder folder;
    folder.Write("config.ini", SystemFileBytes(c));
    return os::GetProfileString(c.section, c.key, c.defaultValue, folder / "config.ini");
}

class SystemProfileCase : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(SystemProfileCase, SystemCallGivesTheTablesAnswer) {
    const ProfileCase& c = GetParam();
    if (WineDiffersFromWindows(c)) {
        GTEST_SKIP() << "Wine's answer differs from Windows' here; the table holds Windows'";
    }
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

// Generated INI-like files for the station's own section and keys, each read by the system call
// and by the portable reader: pieces that make sections, keys, values, comments and every kind
// of line end and white space, put together at random (seeded, so a failure repeats).
std::string RandomIniFile(std::mt19937& random) {
    static const std::vector<std::string> pieces = {
        "[log4me]", "[LOG4ME]", "[ log4me ]", "[other]", "[",    "]",     "path",
        "level",    "PATH",     "=",          " = ",     "logs", "error", "x",
        "\"",       "'",        ";",          " ",       "\t",   "\r",    "\n",
        "\r\n",     "\r\r",     "\n\r",       "\x1a",    "\v",   "\f",    "#"};
    std::uniform_int_distribution<std::size_t> count(0, 24);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::string file;
    for (std::size_t n = count(random); n > 0; --n) {
        file += pieces[pick(random)];
    }
    return file;
}

std::string Escaped(const std::string& bytes) {
    std::string text;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '\\') {
            text += c;
        } else {
            const char* digits = "0123456789abcdef";
            text += std::string("\\x") + digits[byte >> 4] + digits[byte & 15];
        }
    }
    return text;
}

TEST(ProfileOnWindows, ReaderAgreesWithTheSystemCallOnGeneratedFiles) {
    std::mt19937 random(20261209);
    test_support::TempFolder folder;
    int disagreements = 0;
    for (int n = 0; n < 3000; ++n) {
        const std::string file = RandomIniFile(random);
        // A name of its own for every file, so the system's cache of profile files never
        // answers from an earlier one.
        const std::string name = "generated" + std::to_string(n) + ".ini";
        folder.Write(name, file);
        for (const char* key : {"path", "level"}) {
            const std::string system = os::GetProfileString("log4me", key, "dflt", folder / name);
            const std::string reader = os::ReadProfileString(file, "log4me", key, "dflt");
            if (system != reader && ++disagreements <= 20) {
                ADD_FAILURE() << "file \"" << Escaped(file) << "\" key " << key << ": system \""
                              << Escaped(system) << "\", reader \"" << Escaped(reader) << "\"";
            }
        }
        os::RemoveFile(folder / name);
    }
    EXPECT_EQ(disagreements, 0);
}

}  // namespace
