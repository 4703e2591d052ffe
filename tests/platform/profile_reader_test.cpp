#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/profile.h"
#include "profile_cases.h"

namespace profile_cases {
// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const ProfileCase& c, std::ostream* out) {
    *out << c.name;
}
}  // namespace profile_cases

namespace {

using profile_cases::ProfileCase;

class ProfileReaderCase : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(ProfileReaderCase, ReturnsWhatTheProfileCallReturns) {
    const ProfileCase& c = GetParam();
    EXPECT_EQ(os::ReadProfileString(c.fileBytes, c.section, c.key, c.defaultValue), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ProfileReaderCase, ::testing::ValuesIn(profile_cases::Cases()),
                         [](const ::testing::TestParamInfo<ProfileCase>& info) {
                             return info.param.name;
                         });

// What follows is the reader's own handling of input the table leaves out.

TEST(ProfileReader, InvalidUtf8BecomesReplacementCharacter) {
    EXPECT_EQ(os::ReadProfileString("[s]\npath=a\xFF"
                                    "b\n",
                                    "s", "path", "d"),
              "a\xEF\xBF\xBD"
              "b");
}

TEST(ProfileReader, CutCountsCharactersNotBytes) {
    std::string chinese;
    for (int i = 0; i < 3000; ++i) {
        chinese += "\xE6\x97\xA5";
    }
    std::string value = os::ReadProfileString("[s]\nk=" + chinese + "\n", "s", "k", "d");
    EXPECT_EQ(value, chinese.substr(0, 3 * 2047));
}

TEST(ProfileReader, QuotedValueEndingAtTheBufferLosesItsLastCharacter) {
    // The closing quote is the 2048th character after the opening one: the system's copy cuts it
    // off and then removes the character before it as if it were the quote.
    std::string file = "[s]\nk=\"" + std::string(2047, 'q') + "\"\n";
    EXPECT_EQ(os::ReadProfileString(file, "s", "k", "d"), std::string(2046, 'q'));
}

TEST(ProfileReader, ValueEndsAtZeroCharacter) {
    EXPECT_EQ(os::ReadProfileString(std::string("[s]\nk=ab\0cd\n", 12), "s", "k", "d"), "ab");
}

TEST(ProfileReader, Utf16BigEndianFile) {
    std::string file = "\xFE\xFF";
    for (char c : std::string("[s]\nk=v\n")) {
        file += '\0';
        file += c;
    }
    EXPECT_EQ(os::ReadProfileString(file, "s", "k", "d"), "v");
}

TEST(ProfileReader, NamelessSectionHoldsKeysBeforeTheFirstHeader) {
    EXPECT_EQ(os::ReadProfileString("k=top\n[s]\nk=inner\n", "", "k", "d"), "top");
}

TEST(ProfileReader, DefaultOfBlanksOnlyKeepsOneBlank) {
    EXPECT_EQ(os::ReadProfileString("", "s", "k", "   "), " ");
}

TEST(ProfileReader, QuotedDefaultLosesItsQuotes) {
    EXPECT_EQ(os::ReadProfileString("", "s", "k", "\"logs\""), "logs");
}

}  // namespace
