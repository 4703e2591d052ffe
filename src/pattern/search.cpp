// Stepping the automaton over the input: every state the input can be in is kept at once (one
// entry per step of the program), so each byte costs at most the program's size.
#include <algorithm>
#include <cctype>
#include <utility>

#include "pattern/pattern.h"

namespace pattern {

namespace {

bool IsWordByte(std::string_view input, std::size_t at) {
    if (at >= input.size()) {
        return false;
    }
    const auto c = static_cast<unsigned char>(input[at]);
    return c < 128 && (std::isalnum(c) || c == '_');
}

bool Holds(Assertion assertion, std::string_view input, std::size_t at) {
    const bool boundary = (at > 0 && IsWordByte(input, at - 1)) != IsWordByte(input, at);
    switch (assertion) {
        case Assertion::kBegin:
            return at == 0;
        case Assertion::kEnd:
            return at == input.size();
        case Assertion::kWordBoundary:
            return boundary;
        case Assertion::kNotWordBoundary:
            return !boundary;
    }
    return false;
}

// The byte steps reached from one step without taking input, at one position of the input.
class StateSet {
public:
    explicit StateSet(std::size_t size) : seen_(size, false) {}

    void Clear() {
        std::fill(seen_.begin(), seen_.end(), false);
        waiting_.clear();
    }
    // Adds from and what it reaches; true when that includes the match.
    bool Add(const std::vector<Step>& program, std::size_t from, std::string_view input,
             std::size_t at) {
        bool matched = false;
        std::vector<std::size_t>& todo = todo_;
        todo.assign(1, from);
        while (!todo.empty()) {
            const std::size_t pc = todo.back();
            todo.pop_back();
            if (seen_[pc]) {
                continue;
            }
            seen_[pc] = true;
            const Step& step = program[pc];
            switch (step.op) {
                case Step::Op::kByte:
                    waiting_.push_back(pc);
                    break;
                case Step::Op::kMatch:
                    matched = true;
                    break;
                case Step::Op::kJump:
                    todo.push_back(step.to);
                    break;
                case Step::Op::kSplit:
                    todo.push_back(step.alsoTo);
                    todo.push_back(step.to);
                    break;
                case Step::Op::kAssert:
                    if (Holds(step.assertion, input, at))
                        todo.push_back(pc + 1);
                    break;
            }
        }
        return matched;
    }
    const std::vector<std::size_t>& Waiting() const { return waiting_; }

private:
    std::vector<bool> seen_;
    std::vector<std::size_t> waiting_;  // byte steps, each once
    std::vector<std::size_t> todo_;
};

}  // namespace

bool Pattern::Search(std::string_view input) const {
    StateSet now(program_.size());
    StateSet next(program_.size());
    for (std::size_t at = 0;; ++at) {
        if (now.Add(program_, 0, input, at)) {  // a match may start at every position
            return true;
        }
        if (at == input.size()) {
            return false;
        }
        next.Clear();
        const auto byte = static_cast<unsigned char>(input[at]);
        for (const std::size_t pc : now.Waiting()) {
            if (program_[pc].bytes[byte] && next.Add(program_, pc + 1, input, at + 1)) {
                return true;
            }
        }
        std::swap(now, next);
    }
}

}  // namespace pattern
