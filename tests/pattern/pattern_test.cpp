// Label patterns: search semantics of ECMAScript's std::regex_search on the syntax labels use,
// constructs that need backtracking refused by name, and no pattern that can run away.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "pattern/pattern.h"

namespace {

using ::testing::HasSubstr;

TEST(Pattern, SearchesAsECMAScriptDoesOnTheSyntaxLabelsUse) {
    struct Case {
        const char* pattern;
        const char* label;
        bool matches;
    };
    const Case cases[] = {
        {"^PCB-[0-9]{8}$", "PCB-00000042", true},
        {"^PCB-[0-9]{8}$", "PCB-0000004", false},
        {"^PCB-[0-9]{8}$", "PCB-000000421", false},
        {"PCB", "xxPCByy", true},  // anywhere unless anchored
        {"^PCB", "xPCB", false},
        {"PCB$", "PCBx", false},
        {"", "anything", true},
        {"^$", "", true},
        {"a.c", "abc", true},
        {"a.c", "ac", false},
        {"a\\.c", "abc", false},
        {"a\\.c", "a.c", true},
        {"^\\d{3}\\-\\w+\\s?$", "123-ab_9", true},
        {"^\\d{3}\\-\\w+\\s?$", "123-ab 9", false},
        {"^\\D\\W\\S$", "a-b", true},
        {"^\\D\\W\\S$", "1-b", false},
        {"^[A-Z0-9_-]+$", "AB_9-Z", true},
        {"^[A-Z0-9_-]+$", "ab", false},
        {"^[^0-9]+$", "abc", true},
        {"^[^0-9]+$", "ab1", false},
        {"^[\\d.]+$", "1.2.3", true},
        {"^[a-c\\]]+$", "ab]c", true},
        {"^a*$", "", true},
        {"^a+$", "", false},
        {"^ab?c$", "ac", true},
        {"^ab?c$", "abbc", false},
        {"^a{2,}$", "a", false},
        {"^a{2,}$", "aaaaa", true},
        {"^a{2,3}$", "aaa", true},
        {"^a{2,3}$", "aaaa", false},
        {"^a{0}b$", "b", true},
        {"^a+?b*?c??$", "aab", true},  // lazy: the same strings
        {"^(ab)+$", "ababab", true},
        {"^(ab)+$", "ababa", false},
        {"^(?:A|BC)-(1|22)$", "BC-22", true},
        {"^(?:A|BC)-(1|22)$", "A-2", false},
        {"^(|x)y$", "y", true},
        {"^(a*)*$", "aaaa", true},  // a loop that can match nothing ends
        {"^(a*)*$", "aaab", false},
        {"\\bPCB\\b", "a PCB b", true},
        {"\\bPCB\\b", "aPCB", false},
        {"\\BCB", "PCB", true},
        {"^\\x41\\t$", "A\t", true},
        {"^a|b$", "ax", true},
        {"^a|b$", "xb", true},
        {"^a|b$", "xa", false},
        {"^板-\\d+$", "板-12", true},  // UTF-8 literals, byte by byte
        {"^.{2}$", "\xE6\x9D", true},
        {"a]b}", "a]b}", true},
        {"^([A-Z0-9]+-?)+$", "PCB-0001-A", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " on " + c.label);
        const pattern::Compiled compiled = pattern::Compile(c.pattern);
        ASSERT_TRUE(compiled.pattern) << compiled.problem;
        EXPECT_EQ(compiled.pattern->Search(c.label), c.matches);
    }
}

TEST(Pattern, RefusesWhatNeedsBacktrackingAndWhatIsNoPatternByName) {
    struct Case {
        const char* pattern;
        const char* problem;  // a part of the refusal
    };
    const Case cases[] = {
        {"(a)\\1", "反向引用“\\1”"},
        {"a(?=b)", "先行断言“(?=”"},
        {"a(?!b)", "先行断言“(?!”"},
        {"(?<=a)b", "后行断言“(?<=”"},
        {"(?<!a)b", "后行断言“(?<!”"},
        {"(?<n>a)", "命名分组"},
        {"\\k<n>", "转义“\\k”"},
        {"\\p{L}", "转义“\\p”"},
        {"\\cJ", "转义“\\c”"},  // std::regex took it for the letter alone
        {"a{1001}", "超过1000"},
        {"a{99999999999999999999}", "超过1000"},
        {"(a{1000}){1000}", "展开后太大"},
        {"a{3,2}", "前一个数大于后一个数"},
        {"a{2", "缺少“}”"},
        {"a{x}", "后面不是重复次数"},
        {"*a", "“*”前面没有"},
        {"a**", "“*”前面没有"},
        {"^*", "断言后不能跟“*”"},
        {"(a", "缺少“)”"},
        {"a)", "多余的“)”"},
        {"[a", "缺少“]”"},
        {"[z-a]", "颠倒"},
        {"[[:alpha:]]", "不支持“[:”"},
        {"a\\", "结尾"},
        {"\\x4", "十六进制"},
        {"((((((((((((((((((((((((((((((((((((((((((((((((((((a))))))))))))))))))))))))))))))))))))"
         "))))))))))))))))",
         "嵌套"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        const pattern::Compiled compiled = pattern::Compile(c.pattern);
        EXPECT_FALSE(compiled.pattern);
        EXPECT_THAT(compiled.problem, HasSubstr(c.problem));
    }
}

// Patterns that make a backtracking matcher take exponential time on a label that almost
// matches: each ends at once here (ctest's timeout catches one that does not).
TEST(Pattern, EndsOnPatternsThatMakeABacktrackingMatcherRunForEver) {
    const std::string wrong = std::string(63, 'A') + "!";
    for (const char* text :
         {"^([A-Z0-9]+-?)+$", "^(A+)+$", "^(A|AA)+$", "^(A*)*B$", "^(A?){64}A{64}$", "(.*){20}B"}) {
        SCOPED_TRACE(text);
        const pattern::Compiled compiled = pattern::Compile(text);
        ASSERT_TRUE(compiled.pattern) << compiled.problem;
        EXPECT_FALSE(compiled.pattern->Search(wrong));
    }
}

}  // namespace
