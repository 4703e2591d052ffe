// From the pattern's tree to its automaton: each node appends its steps, a repetition its part as
// many times as it counts, so the compiled size is checked as it grows.
#include "pattern/syntax.h"

namespace pattern {

namespace {

class Emitter {
public:
    std::vector<Step> Program(const Node& root) {
        Emit(root);
        Append(Step(Step::Op::kMatch));
        return std::move(program_);
    }

private:
    std::size_t Append(Step step) {
        if (program_.size() >= kLargestProgram) {
            throw Refusal("展开后太大（最多" + std::to_string(kLargestProgram) + "步）");
        }
        program_.push_back(std::move(step));
        return program_.size() - 1;
    }

    std::size_t Here() const { return program_.size(); }

    void Emit(const Node& node) {
        switch (node.kind) {
            case Node::Kind::kEmpty:
                break;
            case Node::Kind::kBytes: {
                Step step(Step::Op::kByte);
                step.bytes = node.bytes;
                Append(step);
                break;
            }
            case Node::Kind::kAssert: {
                Step step(Step::Op::kAssert);
                step.assertion = node.assertion;
                Append(step);
                break;
            }
            case Node::Kind::kSequence:
                for (const Node& part : node.parts) {
                    Emit(part);
                }
                break;
            case Node::Kind::kEither:
                EmitEither(node.parts);
                break;
            case Node::Kind::kRepeat:
                EmitRepeat(node.parts.front(), node.least, node.most);
                break;
        }
    }

    // split(first, next) first: part jump(end) next: split(...) ... last part. end:
    void EmitEither(const std::vector<Node>& parts) {
        std::vector<std::size_t> jumps;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            std::size_t split = 0;
            const bool last = i + 1 == parts.size();
            if (!last) {
                split = Append(Step(Step::Op::kSplit));
                program_[split].to = Here();
            }
            Emit(parts[i]);
            if (!last) {
                jumps.push_back(Append(Step(Step::Op::kJump)));
                program_[split].alsoTo = Here();
            }
        }
        for (const std::size_t jump : jumps) {
            program_[jump].to = Here();
        }
    }

    // The part least times, then: without a bound, loop: split(part, end) part jump(loop);
    // with one, (most - least) times split(part, end) part, every split leaving to the end.
    void EmitRepeat(const Node& part, int least, int most) {
        for (int i = 0; i < least; ++i) {
            Emit(part);
        }
        if (most == Node::kUnbounded) {
            const std::size_t loop = Append(Step(Step::Op::kSplit));
            program_[loop].to = Here();
            Emit(part);
            Step back(Step::Op::kJump);
            back.to = loop;
            Append(back);
            program_[loop].alsoTo = Here();
            return;
        }
        std::vector<std::size_t> splits;
        for (int i = least; i < most; ++i) {
            splits.push_back(Append(Step(Step::Op::kSplit)));
            program_[splits.back()].to = Here();
            Emit(part);
        }
        for (const std::size_t split : splits) {
            program_[split].alsoTo = Here();
        }
    }

    std::vector<Step> program_;
};

}  // namespace

Compiled Compile(std::string_view text) {
    try {
        return {Pattern(Emitter().Program(Parse(text))), {}};
    } catch (const Refusal& refusal) {
        return {std::nullopt, refusal.what()};
    }
}

}  // namespace pattern
