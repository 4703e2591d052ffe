// The parts of the text service that are the same on every platform.
#include "platform/text.h"

#include <algorithm>
#include <cstring>

namespace os {

namespace {

// One UTF-8 sequence at the start of the rest of a text.
struct Utf8Sequence {
    enum Kind { kCharacter, kIllFormed, kCutByTheEnd };
    std::size_t length;  // bytes it covers, at least 1
    Kind kind;
};

Utf8Sequence NextSequence(std::string_view text, std::size_t at) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
        return {1, Utf8Sequence::kCharacter};
    }
    std::size_t length = 0;
    unsigned char low = 0x80;  // range of the second byte; later bytes are always 80..BF
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;   // no overlong forms
        high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
    } else {
        return {1, Utf8Sequence::kIllFormed};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (at + i >= text.size()) {
            return {i, Utf8Sequence::kCutByTheEnd};
        }
        const unsigned char next = static_cast<unsigned char>(text[at + i]);
        if (next < low || next > high) {
            return {i, Utf8Sequence::kIllFormed};
        }
        low = 0x80;
        high = 0xBF;
    }
    return {length, Utf8Sequence::kCharacter};
}

// text with the 26 ASCII letters from `from` on moved to those from `to` on.
std::string AsciiCase(std::string_view text, char from, char to) {
    std::string changed(text);
    for (char& c : changed) {
        if (c >= from && c <= from + 25) {
            c = static_cast<char>(c - from + to);
        }
    }
    return changed;
}

}  // namespace

std::size_t RepairUtf8(std::string_view bytes, std::string_view replacement, bool last,
                       std::string& out) {
    out.reserve(out.size() + bytes.size());
    std::size_t goodStart = 0;
    std::size_t at = 0;
    while (at < bytes.size()) {
        // Plain ASCII, the bulk of a tool's output, is passed over eight bytes at a time.
        constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
        std::uint64_t eight = 0;
        while (at + sizeof eight <= bytes.size() &&
               (std::memcpy(&eight, bytes.data() + at, sizeof eight), (eight & kHighBits) == 0)) {
            at += sizeof eight;
        }
        if (at >= bytes.size()) {
            break;
        }
        const Utf8Sequence sequence = NextSequence(bytes, at);
        if (sequence.kind == Utf8Sequence::kCutByTheEnd && !last) {
            break;  // the rest of this character comes with the next bytes
        }
        if (sequence.kind != Utf8Sequence::kCharacter) {
            out.append(bytes.substr(goodStart, at - goodStart));
            out.append(replacement);
            goodStart = at + sequence.length;
        }
        at += sequence.length;
    }
    out.append(bytes.substr(goodStart, at - goodStart));
    return at;
}

std::string RepairedUtf8(std::string_view bytes, std::string_view replacement) {
    std::string repaired;
    RepairUtf8(bytes, replacement, true, repaired);
    return repaired;
}

std::size_t Utf8CharacterStart(std::string_view text, std::size_t at) {
    while (at > 0 && at < text.size() && IsUtf8Continuation(text[at])) {
        --at;
    }
    return at;
}

std::string AsciiLower(std::string_view text) {
    return AsciiCase(text, 'A', 'a');
}

std::string AsciiUpper(std::string_view text) {
    return AsciiCase(text, 'a', 'A');
}

std::string_view TrimmedOf(std::string_view text, std::string_view blanks) {
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::vector<std::string_view> Words(std::string_view line, std::size_t most) {
    std::vector<std::string_view> words;
    line = TrimmedOf(line, kAsciiSpace);
    while (!line.empty() && words.size() + 1 < most) {
        const std::size_t end = std::min(line.find_first_of(kAsciiSpace), line.size());
        words.push_back(line.substr(0, end));
        line = TrimmedOf(line.substr(end), kAsciiSpace);
    }
    if (!line.empty() && most > 0) {
        words.push_back(line);
    }
    return words;
}

std::optional<std::uint64_t> DecimalNumber(std::string_view text) {
    if (text.empty() || text.size() > 20) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace os
