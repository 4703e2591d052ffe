// Text on Linux: the ANSI code page is UTF-8, and what is not UTF-8 is repaired.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/text.h"

namespace {

TEST(AnsiText, Utf8PassesThroughBothWays) {
    const std::string text = "PASS ERROR:写入hex文件失败。 ✓ \xF0\x9F\x98\x80";
    EXPECT_EQ(os::FromAnsi(text), text);
    EXPECT_EQ(os::ToAnsi(text).bytes(), text);
}

TEST(AnsiText, EachBadSequenceBecomesOneReplacementCharacter) {
    const std::string r = "\xEF\xBF\xBD";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a\xFFz", "a" + r + "z"},
        {"\x80", r},                         // a continuation byte alone
        {"\xE4\xB8", r},                     // a character cut off at the end
        {"\xE4\xB8z", r + "z"},              // ... or in the middle
        {"\xC0\xAF", r + r},                 // an overlong form
        {"\xED\xA0\x80", r + r + r},         // a surrogate
        {"\xF4\x90\x80\x80", r + r + r + r}  // above U+10FFFF
    };
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(os::FromAnsi(bytes), expected) << testing::PrintToString(bytes);
    }
    EXPECT_EQ(os::ToAnsi("a\xFF\xE4\xB8z").bytes(), "a??z");
}

}  // namespace
