// The text service's helpers that are the same on every platform.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"

namespace {

using ::testing::ElementsAreArray;

TEST(ForEachLine, EveryKindOfLineEndEndsOneLine) {
    struct Case {
        std::string_view text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"one", {"one"}},
        {"one\n", {"one"}},
        {"one\r\ntwo\r\n", {"one", "two"}},
        {"one\rtwo\nthree", {"one", "two", "three"}},  // a tool's carriage return, a Linux end
        {"\n\r\n\r", {"", "", ""}},                    // each end once, CR LF as one
        {"one\n\rtwo", {"one", "", "two"}},            // LF CR is two ends
        {std::string_view("a\0b\n", 4), {std::string("a\0b", 3)}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines;
        os::ForEachLine(c.text, [&lines](std::string_view line) { lines.emplace_back(line); });
        EXPECT_THAT(lines, ElementsAreArray(c.lines)) << testing::PrintToString(c.text);
    }
}

TEST(AsciiCase, ChangesOnlyTheAsciiLetters) {
    const std::string text = "Verify OK: 中文 [az]@AZ`{";
    EXPECT_EQ(os::AsciiLower(text), "verify ok: 中文 [az]@az`{");
    EXPECT_EQ(os::AsciiUpper(text), "VERIFY OK: 中文 [AZ]@AZ`{");
}

// The words of the station's own files (the ledger, the serial blocks): the last keeps the rest.
TEST(Words, SplitAtBlanksUpToTheLastWhichKeepsTheRest) {
    struct Case {
        std::string_view line;
        std::size_t most;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"", 3, {}},
        {" \t ", 3, {}},
        {"block  a\t1 2", 4, {"block", "a", "1", "2"}},
        {"refused f.csv 17 value  too long ", 4, {"refused", "f.csv", "17", "value  too long"}},
        {"one two", 1, {"one two"}},
        {"one two", 0, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> words;
        for (const std::string_view word : os::Words(c.line, c.most)) {
            words.emplace_back(word);
        }
        EXPECT_THAT(words, ElementsAreArray(c.words)) << c.line << " / " << c.most;
    }
}

TEST(DecimalNumber, DigitsOnlyAndBelowTwoToTheSixtyFour) {
    EXPECT_EQ(os::DecimalNumber("0"), 0u);
    EXPECT_EQ(os::DecimalNumber("18446744073709551615"), UINT64_MAX);
    for (const std::string_view bad :
         {"", "18446744073709551616", "99999999999999999999", "+1", "-1", " 1", "1a", "0x10"}) {
        EXPECT_EQ(os::DecimalNumber(bad), std::nullopt) << bad;
    }
}

}  // namespace
