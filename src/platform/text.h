// Text: the ANSI type and its conversions, the one UTF-8 repairer, the system's error texts, the
// one line splitter and the few ASCII helpers the station's texts need.
//
// Unicode text is UTF-8 in std::string; AnsiString holds bytes in the system's ANSI code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace os {

// Bytes in the system's ANSI code page: code page 936 on the stations, UTF-8 on Linux. A type
// of its own so that ANSI bytes and UTF-8 text cannot be mixed by accident.
class AnsiString {
public:
    AnsiString() = default;
    explicit AnsiString(std::string bytes) : bytes_(std::move(bytes)) {}

    const std::string& bytes() const { return bytes_; }
    bool empty() const { return bytes_.empty(); }

    friend bool operator==(const AnsiString& a, const AnsiString& b) {
        return a.bytes_ == b.bytes_;
    }
    friend bool operator!=(const AnsiString& a, const AnsiString& b) { return !(a == b); }

private:
    std::string bytes_;
};

// UTF-8 to the ANSI code page. Characters the code page cannot hold become the code page's
// default character ('?').
AnsiString ToAnsi(std::string_view utf8);
// The ANSI code page to UTF-8. Bytes that do not decode become U+FFFD.
std::string FromAnsi(std::string_view ansi);

// The line break of the platform's text: "\r\n" on Windows, "\n" elsewhere.
extern const char* const kLineBreak;

// The system's own text for an error code (errno on Linux, GetLastError() on Windows), without
// trailing blanks, control characters and full stops.
std::string SystemErrorText(std::uint32_t code);

// ---------------------------------------------------------------------------------------------
// UTF-8

inline constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD";  // U+FFFD

// Appends bytes to out with every ill-formed sequence replaced by replacement: a byte that
// cannot start a character, or the longest start of a character that cannot be completed,
// counts as one sequence. A sequence cut by the end of bytes is left for the next call unless
// last is set. Returns how many bytes were taken, so that text arriving in pieces is repaired
// the same however it is split.
std::size_t RepairUtf8(std::string_view bytes, std::string_view replacement, bool last,
                       std::string& out);
// The whole text repaired at once.
std::string RepairedUtf8(std::string_view bytes, std::string_view replacement);

// Appends the code point c (at most U+10FFFF, not a surrogate) to out as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// True for the second and later bytes of a UTF-8 character.
inline bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
// The index of the character that holds byte at (or at itself when it starts one): where UTF-8
// text can be cut at or before at without splitting a character.
std::size_t Utf8CharacterStart(std::string_view text, std::size_t at);

// ---------------------------------------------------------------------------------------------
// Lines

// Calls take(line) for each line of text in order, without its line end. "\r\n", "\n" and a
// lone "\r" each end a line, so text from Windows, from Linux and a tool's carriage returns all
// split alike. Text after the last line end is the last line; an empty text has no lines.
template <typename Take>
void ForEachLine(std::string_view text, Take&& take) {
    static_assert(std::is_invocable_v<Take&, std::string_view>);
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        take(text.substr(0, end));
        if (end == std::string_view::npos) {
            return;
        }
        const bool crLf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        text.remove_prefix(end + (crLf ? 2 : 1));
    }
}

// ---------------------------------------------------------------------------------------------
// ASCII

// The text with the ASCII letters A-Z lower-cased; every other byte left as it is.
std::string AsciiLower(std::string_view text);
// The text with the ASCII letters a-z upper-cased; every other byte left as it is.
std::string AsciiUpper(std::string_view text);
// The text without the characters of blanks at either end.
std::string_view TrimmedOf(std::string_view text, std::string_view blanks);
// ASCII blank space: ' ', '\t', '\n', '\v', '\f', '\r'.
inline constexpr std::string_view kAsciiSpace = " \t\n\v\f\r";
// The words of a line, split at runs of ASCII blank space, at most most of them: the last one
// then holds the rest of the line as it stands (its trailing blanks removed).
std::vector<std::string_view> Words(std::string_view line, std::size_t most);
// A number written in decimal digits only, below 2^64; none for anything else.
std::optional<std::uint64_t> DecimalNumber(std::string_view text);

}  // namespace os
