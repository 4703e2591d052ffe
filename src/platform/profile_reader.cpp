// The INI reader used where the system has no profile-string call. It returns what
// GetPrivateProfileStringW returns for the same file with a 2048-character buffer, as Wine
// implements that call:
//
// - Encoding: a UTF-8 byte-order mark is skipped; a UTF-16 byte-order mark (either byte order)
//   makes the file UTF-16; otherwise the bytes are taken as UTF-8, the ANSI code page on Linux.
//   Bytes that do not decode become U+FFFD. The result is UTF-8.
// - Lines end at '\n'; a file (or the rest of one) without any '\n' has its lines end at '\r'.
//   White space (blank, tab, '\r', other ASCII control spacing, ^Z) is trimmed at both ends
//   of every line.
// - A line starting with '[' that holds a ']' is a section header; the name runs to the last ']'
//   and is trimmed inside the brackets. A '[' line without ']' is an ordinary key line.
// - Keys before the first header belong to a nameless section.
// - A key line splits at its first '='; the name is trimmed at its end, the value at its start.
//   A line without '=' is a key without a value: the default is returned.
// - Section and key names are compared without regard to ASCII letter case, after trimming the
//   requested names. Only the first section of a name is searched, and in it the first key.
// - A value (or the default) that starts with ' or ", is longer than one character and ends in
//   the same quote loses both quotes.
// - The result holds at most 2047 characters. Windows counts UTF-16 units; this reader counts
//   code points, which is the same outside the supplementary planes.
// - The default loses its trailing blanks (' ', not other white space), though a default made
//   of blanks only keeps its first one.
// - Like the system's string copy, names and values end at a zero character.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "os.h"

namespace os {

namespace {

constexpr std::size_t kBufferSize = 2048;  // characters, the terminating zero included
constexpr char32_t kReplacement = 0xFFFD;

// The profile call's white space: ASCII blanks and control spacing, and ^Z, an old end-of-file
// mark.
bool IsSpace(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20;
}

char32_t FoldCase(char32_t c) {
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

// --- Decoding and encoding -------------------------------------------------------------------

std::u32string DecodeUtf8(std::string_view bytes) {
    std::u32string text;
    text.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            length = 1;
            c = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            c = lead & 0x1F;
            minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            c = lead & 0x0F;
            minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07;
            minimum = 0x10000;
        }
        bool valid = length != 0 && i + length <= bytes.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        valid = valid && c >= minimum && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
        if (valid) {
            text += c;
            i += length;
        } else {
            text += kReplacement;
            ++i;
        }
    }
    return text;
}

std::u32string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::u32string text;
    const std::size_t count = bytes.size() / 2;
    auto unit = [&](std::size_t k) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[2 * k]);
        const auto second = static_cast<unsigned char>(bytes[2 * k + 1]);
        return bigEndian ? (first << 8 | second) : (second << 8 | first);
    };
    for (std::size_t k = 0; k < count; ++k) {
        char32_t c = unit(k);
        if (c >= 0xD800 && c <= 0xDBFF && k + 1 < count && unit(k + 1) >= 0xDC00 &&
            unit(k + 1) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(k + 1) - 0xDC00);
            ++k;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        text += c;
    }
    return text;
}

std::u32string DecodeFile(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        return DecodeUtf8(bytes.substr(3));
    }
    if (bytes.substr(0, 2) == "\xFF\xFE") {
        return DecodeUtf16(bytes.substr(2), false);
    }
    if (bytes.substr(0, 2) == "\xFE\xFF") {
        return DecodeUtf16(bytes.substr(2), true);
    }
    return DecodeUtf8(bytes);
}

std::string EncodeUtf8(std::u32string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (char32_t c : text) {
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else if (c < 0x800) {
            bytes += static_cast<char>(0xC0 | c >> 6);
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            bytes += static_cast<char>(0xE0 | c >> 12);
            bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | c >> 18);
            bytes += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return bytes;
}

// --- Parsing ---------------------------------------------------------------------------------

using Text = std::u32string_view;

Text Trim(Text text) {
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The text up to its first zero character, where the system's C strings would end.
Text UpToZero(Text text) {
    return text.substr(0, text.find(U'\0'));
}

bool SameName(Text stored, Text wanted) {
    stored = UpToZero(stored);
    return stored.size() == wanted.size() &&
           std::equal(stored.begin(), stored.end(), wanted.begin(),
                      [](char32_t a, char32_t b) { return FoldCase(a) == FoldCase(b); });
}

// Splits the file into lines as the profile call does: at '\n', or at '\r' once no '\n' is left.
class Lines {
public:
    explicit Lines(Text text) : rest_(text) {}

    bool Next(Text& line) {
        if (rest_.empty()) {
            return false;
        }
        std::size_t end = rest_.find(U'\n');
        if (end == Text::npos) {
            end = rest_.find(U'\r');
        }
        end = end == Text::npos ? rest_.size() : end + 1;
        line = Trim(rest_.substr(0, end));
        rest_.remove_prefix(end);
        return true;
    }

private:
    Text rest_;
};

// A section header's name, or false when the line is not a header.
bool SectionName(Text line, Text& name) {
    if (line.empty() || line.front() != U'[') {
        return false;
    }
    std::size_t close = line.rfind(U']');
    if (close == Text::npos) {
        return false;
    }
    name = Trim(line.substr(1, close - 1));
    return true;
}

struct Entry {
    Text name;
    Text value;
    bool hasValue = true;  // false for a line without '='
};

Entry SplitKeyLine(Text line) {
    std::size_t equals = line.find(U'=');
    if (equals == Text::npos) {
        return {line, Text(), false};
    }
    Text name = line.substr(0, equals);
    while (!name.empty() && IsSpace(name.back())) {
        name.remove_suffix(1);
    }
    Text value = line.substr(equals + 1);
    while (!value.empty() && IsSpace(value.front())) {
        value.remove_prefix(1);
    }
    return {name, value, true};
}

// Finds the value of key in the first section called section. False when either is missing.
bool FindValue(Text file, Text section, Text key, Text& value) {
    Lines lines(file);
    Text line;
    Text current;  // keys before the first header are in the nameless section
    bool inWantedSection = SameName(current, section);
    bool sectionSeen = inWantedSection;
    while (lines.Next(line)) {
        if (line.empty()) {
            continue;
        }
        Text name;
        if (SectionName(line, name)) {
            if (sectionSeen) {
                return false;  // only the first section of that name counts
            }
            inWantedSection = sectionSeen = SameName(name, section);
            continue;
        }
        if (inWantedSection) {
            Entry entry = SplitKeyLine(line);
            if (SameName(entry.name, key)) {
                value = entry.value;
                return entry.hasValue;
            }
        }
    }
    return false;
}

// The default without its trailing blanks; one blank is kept of a default made of blanks only.
Text StripDefault(Text text) {
    while (text.size() > 1 && text.back() == U' ') {
        text.remove_suffix(1);
    }
    return text;
}

// Copies a value into the 2048-character buffer the way the profile call does, removing
// matching quotes. A quoted value whose closing quote falls exactly on the buffer's end loses
// its last character instead, as it does with the system.
std::u32string CopyToBuffer(Text value) {
    value = UpToZero(value);
    bool quoted = false;
    if (value.size() > 1 && (value.front() == U'\'' || value.front() == U'"') &&
        value.back() == value.front()) {
        quoted = true;
        value.remove_prefix(1);
    }
    std::u32string copy(value.substr(0, kBufferSize - 1));
    if (quoted && value.size() <= kBufferSize && !copy.empty()) {
        copy.pop_back();
    }
    return copy;
}

}  // namespace

std::string ReadProfileString(std::string_view fileBytes, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
    const std::u32string wantedKey = DecodeUtf8(key);
    if (wantedKey.empty()) {
        return EncodeUtf8(CopyToBuffer(StripDefault(DecodeUtf8(defaultValue))));
    }
    const std::u32string file = DecodeFile(fileBytes);
    const std::u32string wantedSection = DecodeUtf8(section);
    const std::u32string defaultText = DecodeUtf8(defaultValue);
    Text value;
    if (!FindValue(file, UpToZero(Trim(wantedSection)), UpToZero(Trim(wantedKey)), value)) {
        value = StripDefault(defaultText);
    }
    return EncodeUtf8(CopyToBuffer(value));
}

}  // namespace os
