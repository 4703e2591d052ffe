// Label patterns that cannot run away. A pattern compiles to a small automaton (Thompson's
// construction) that is stepped over the input once, every live state at a time: matching takes
// time proportional to the input's length times the pattern's compiled size, whatever the
// pattern, and never backtracks.
//
// The syntax is ECMAScript's, and Search finds a match anywhere in the input, as
// std::regex_search does: literals, ".", escapes (\. \- \d \D \w \W \s \S \t \n \r \f \v \0
// \xHH), classes with ranges and negation ([A-Z0-9_-], [^...]), "*", "+", "?", "{m}",
// "{m,}", "{m,n}" (lazy forms too: whether a match exists does not depend on it), groups "(...)"
// and "(?:...)", "|", "^", "$", "\b", "\B". Input is bytes: "." and a class take one byte.
// Constructs that need backtracking (back-references, look-around, named groups) are refused by
// name, and so is a pattern whose compiled size would exceed kLargestProgram steps.
#pragma once

#include <bitset>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pattern {

// The largest count a repetition may name, and the largest compiled size.
inline constexpr int kLargestCount = 1000;
inline constexpr std::size_t kLargestProgram = 10000;

// What an assertion step checks at a position of the input.
enum class Assertion { kBegin, kEnd, kWordBoundary, kNotWordBoundary };

// One step of the automaton.
struct Step {
    enum class Op { kByte, kSplit, kJump, kAssert, kMatch };
    explicit Step(Op kind) : op(kind) {}
    Op op;
    std::bitset<256> bytes;                   // kByte: the bytes it takes, then on to the next step
    std::size_t to = 0;                       // kJump, kSplit: where to go
    std::size_t alsoTo = 0;                   // kSplit: the other way
    Assertion assertion = Assertion::kBegin;  // kAssert: what must hold to go on
};

class Pattern {
public:
    explicit Pattern(std::vector<Step> program) : program_(std::move(program)) {}
    // True when the pattern matches somewhere in input (anywhere, unless anchored).
    bool Search(std::string_view input) const;
    std::size_t Size() const { return program_.size(); }

private:
    std::vector<Step> program_;
};

// A compiled pattern, or (pattern empty) why the text is none this matcher takes: an operator's
// text in Chinese naming the construct, e.g. 不支持反向引用“\1”.
struct Compiled {
    std::optional<Pattern> pattern;
    std::string problem;
};

Compiled Compile(std::string_view text);

}  // namespace pattern
