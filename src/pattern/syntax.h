// The parsed form of a pattern, between its text and its automaton (internal to the library).
#pragma once

#include <bitset>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "pattern/pattern.h"

namespace pattern {

struct Node {
    enum class Kind { kEmpty, kBytes, kSequence, kEither, kRepeat, kAssert };
    explicit Node(Kind what) : kind(what) {}
    Kind kind;
    std::bitset<256> bytes;   // kBytes
    Assertion assertion{};    // kAssert
    int least = 0;            // kRepeat
    int most = 0;             // kRepeat; kUnbounded for no limit
    std::vector<Node> parts;  // kSequence, kEither: in order; kRepeat: the one repeated
    static constexpr int kUnbounded = -1;
};

// Why a pattern is refused; its text is Compiled::problem.
struct Refusal : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The pattern's tree. Throws Refusal.
Node Parse(std::string_view text);

}  // namespace pattern
