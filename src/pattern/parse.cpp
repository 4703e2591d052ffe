// A recursive-descent reader of ECMAScript's pattern grammar, the part pattern.h names.
#include <algorithm>
#include <cctype>
#include <optional>
#include <tuple>
#include <utility>

#include "pattern/syntax.h"

namespace pattern {

namespace {

constexpr int kDeepest = 50;  // groups inside groups

std::bitset<256> Only(unsigned char c) {
    std::bitset<256> set;
    set.set(c);
    return set;
}

std::bitset<256> Where(int (*is)(int)) {
    std::bitset<256> set;
    for (int c = 0; c < 128; ++c) {
        set[static_cast<std::size_t>(c)] = is(c) != 0;
    }
    return set;
}

int IsWord(int c) {
    return std::isalnum(c) || c == '_';
}
int IsDigit(int c) {
    return std::isdigit(c);
}
int IsSpace(int c) {
    return std::isspace(c);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    Node Whole() {
        Node node = Either(0);
        if (pos_ < text_.size()) {
            throw Refusal("多余的“)”");
        }
        return node;
    }

private:
    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return text_[pos_]; }
    bool Take(std::string_view what) {
        if (text_.substr(pos_, what.size()) != what) {
            return false;
        }
        pos_ += what.size();
        return true;
    }

    Node Either(int depth) {
        Node node{Node::Kind::kEither};
        node.parts.push_back(Sequence(depth));
        while (Take("|")) {
            node.parts.push_back(Sequence(depth));
        }
        return node.parts.size() == 1 ? std::move(node.parts.front()) : node;
    }

    Node Sequence(int depth) {
        Node node{Node::Kind::kSequence};
        while (!AtEnd() && Peek() != '|' && Peek() != ')') {
            node.parts.push_back(Term(depth));
        }
        return node;
    }

    Node Term(int depth) {
        if (const std::optional<Assertion> assertion = AssertionHere()) {
            Node node{Node::Kind::kAssert};
            node.assertion = *assertion;
            if (!AtEnd() && std::string_view("*+?{").find(Peek()) != std::string_view::npos) {
                throw Refusal(std::string("断言后不能跟“") + Peek() + "”");
            }
            return node;
        }
        return Repeated(Atom(depth));
    }

    std::optional<Assertion> AssertionHere() {
        if (Take("^"))
            return Assertion::kBegin;
        if (Take("$"))
            return Assertion::kEnd;
        if (Take("\\b"))
            return Assertion::kWordBoundary;
        if (Take("\\B"))
            return Assertion::kNotWordBoundary;
        return std::nullopt;
    }

    Node Atom(int depth) {
        const char c = Peek();
        if (c == '(') {
            return Group(depth);
        }
        if (c == '[') {
            ++pos_;
            return Bytes(Class());
        }
        if (std::string_view("*+?").find(c) != std::string_view::npos) {
            throw Refusal(std::string("“") + c + "”前面没有可重复的内容");
        }
        if (c == '{' && Count()) {
            throw Refusal("“{”前面没有可重复的内容");
        }
        ++pos_;
        if (c == '.') {
            return Bytes(~(Only('\n') | Only('\r')));
        }
        if (c == '\\') {
            return Bytes(Escape(false));
        }
        return Bytes(Only(static_cast<unsigned char>(c)));
    }

    static Node Bytes(const std::bitset<256>& set) {
        Node node{Node::Kind::kBytes};
        node.bytes = set;
        return node;
    }

    Node Group(int depth) {
        if (depth >= kDeepest) {
            throw Refusal("括号嵌套超过" + std::to_string(kDeepest) + "层");
        }
        for (const char* refused : {"(?=", "(?!"}) {
            if (Take(refused))
                throw Refusal(std::string("不支持先行断言“") + refused + "”");
        }
        for (const char* refused : {"(?<=", "(?<!"}) {
            if (Take(refused))
                throw Refusal(std::string("不支持后行断言“") + refused + "”");
        }
        if (Take("(?<"))
            throw Refusal("不支持命名分组“(?<”");
        if (!Take("(?:")) {
            if (Take("(?"))
                throw Refusal("不支持“(?”");
            Take("(");
        }
        Node inner = Either(depth + 1);
        if (!Take(")")) {
            throw Refusal("缺少“)”");
        }
        return inner;
    }

    // The quantifier after an atom, if any.
    Node Repeated(Node atom) {
        int least = 0;
        int most = 0;
        if (Take("*")) {
            most = Node::kUnbounded;
        } else if (Take("+")) {
            least = 1;
            most = Node::kUnbounded;
        } else if (Take("?")) {
            most = 1;
        } else if (const std::optional<std::pair<int, int>> count = Count()) {
            std::tie(least, most) = *count;
        } else {
            return atom;
        }
        Take("?");  // lazy: the same strings match
        Node node{Node::Kind::kRepeat};
        node.least = least;
        node.most = most;
        node.parts.push_back(std::move(atom));
        return node;
    }

    // "{m}", "{m,}" or "{m,n}" at the position, taken; none (nothing taken) when there is none.
    std::optional<std::pair<int, int>> Count() {
        if (AtEnd() || Peek() != '{') {
            return std::nullopt;
        }
        std::size_t at = pos_ + 1;
        const std::optional<int> least = Number(at);
        if (!least) {
            throw Refusal("“{”后面不是重复次数");
        }
        int most = *least;
        if (at < text_.size() && text_[at] == ',') {
            ++at;
            const std::optional<int> bound = Number(at);
            most = bound ? *bound : Node::kUnbounded;
        }
        if (at >= text_.size() || text_[at] != '}') {
            throw Refusal("重复次数缺少“}”");
        }
        if (most != Node::kUnbounded && most < *least) {
            throw Refusal("重复次数{" + std::to_string(*least) + "," + std::to_string(most) +
                          "}中前一个数大于后一个数");
        }
        pos_ = at + 1;
        return std::pair(*least, most);
    }

    std::optional<int> Number(std::size_t& at) const {
        const std::size_t from = at;
        long value = 0;
        while (at < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at]))) {
            value = std::min<long>(value * 10 + (text_[at++] - '0'), kLargestCount + 1L);
        }
        if (at == from) {
            return std::nullopt;
        }
        if (value > kLargestCount) {
            throw Refusal("重复次数" + std::string(text_.substr(from, at - from)) + "超过" +
                          std::to_string(kLargestCount));
        }
        return static_cast<int>(value);
    }

    // The bytes an escape stands for, the backslash taken; inClass: inside [...], where \b is
    // the backspace.
    std::bitset<256> Escape(bool inClass) {
        if (AtEnd()) {
            throw Refusal("以“\\”结尾");
        }
        const char c = text_[pos_++];
        switch (c) {
            case 'd':
                return Where(IsDigit);
            case 'D':
                return ~Where(IsDigit);
            case 'w':
                return Where(IsWord);
            case 'W':
                return ~Where(IsWord);
            case 's':
                return Where(IsSpace);
            case 'S':
                return ~Where(IsSpace);
            case 't':
                return Only('\t');
            case 'n':
                return Only('\n');
            case 'r':
                return Only('\r');
            case 'f':
                return Only('\f');
            case 'v':
                return Only('\v');
            case 'x':
                return Only(static_cast<unsigned char>(HexByte()));
            default:
                break;
        }
        if (inClass && c == 'b') {
            return Only('\b');
        }
        if (c == '0' && (AtEnd() || !std::isdigit(static_cast<unsigned char>(Peek())))) {
            return Only('\0');
        }
        if (c >= '1' && c <= '9') {
            throw Refusal(std::string("不支持反向引用“\\") + c + "”");
        }
        if (std::isalnum(static_cast<unsigned char>(c))) {
            throw Refusal(std::string("不支持转义“\\") + c + "”");
        }
        return Only(static_cast<unsigned char>(c));
    }

    int HexByte() {
        const int high = AtEnd() ? -1 : HexValue(Peek());
        const int low = pos_ + 1 < text_.size() ? HexValue(text_[pos_ + 1]) : -1;
        if (high < 0 || low < 0) {
            throw Refusal("“\\x”后面不是两位十六进制数");
        }
        pos_ += 2;
        return high * 16 + low;
    }

    // The set of a class, its "[" taken.
    std::bitset<256> Class() {
        const bool negated = Take("^");
        std::bitset<256> set;
        while (!Take("]")) {
            if (AtEnd()) {
                throw Refusal("缺少“]”");
            }
            std::optional<unsigned char> from;
            const std::bitset<256> first = ClassAtom(from);
            if (from && text_.substr(pos_, 1) == "-" && text_.substr(pos_ + 1, 1) != "]" &&
                pos_ + 1 < text_.size()) {
                ++pos_;
                std::optional<unsigned char> to;
                const std::bitset<256> last = ClassAtom(to);
                if (!to) {
                    set |= first | Only('-') | last;  // [a-\d]: the letter, "-" and the digits
                    continue;
                }
                if (*to < *from) {
                    throw Refusal("范围“" + std::string(1, static_cast<char>(*from)) + "-" +
                                  std::string(1, static_cast<char>(*to)) + "”颠倒");
                }
                for (unsigned c = *from; c <= *to; ++c) {
                    set.set(c);
                }
                continue;
            }
            set |= first;
        }
        return negated ? ~set : set;
    }

    // One member of a class; single: the byte, when it is one byte (a range may end there).
    std::bitset<256> ClassAtom(std::optional<unsigned char>& single) {
        // std::regex read these as POSIX's named classes, ECMAScript as characters: refused,
        // so that no pattern means something else than it did.
        for (const char* posix : {"[:", "[=", "[."}) {
            if (text_.substr(pos_, 2) == posix) {
                throw Refusal(std::string("不支持“") + posix + "”");
            }
        }
        const char c = text_[pos_++];
        const std::bitset<256> set = c == '\\' ? Escape(true) : Only(static_cast<unsigned char>(c));
        if (set.count() == 1) {
            for (unsigned b = 0; b < 256; ++b) {
                if (set[b])
                    single = static_cast<unsigned char>(b);
            }
        }
        return set;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

Node Parse(std::string_view text) {
    return Reader(text).Whole();
}

}  // namespace pattern
