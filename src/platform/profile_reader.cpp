// The INI reader: decoding, lines, sections and keys, and the profile call's buffer.
#include "platform/profile_reader.h"

#include "platform/profile.h"

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace os {

namespace {

constexpr std::size_t kBufferSize = 2048;  // characters, the terminating zero included

// The profile call's white space: ASCII blanks and control spacing, and ^Z, an old end-of-file
// mark. All of it is ASCII, so it is found byte by byte in UTF-8.
constexpr std::string_view kSpace = " \t\n\v\f\r\x1A";

bool IsSpace(char c) {
    return kSpace.find(c) != std::string_view::npos;
}

std::string_view Trim(std::string_view text) {
    return TrimmedOf(text, kSpace);
}

std::string NormalizedUtf8(std::string_view bytes) {
    return RepairedUtf8(bytes, kReplacementCharacter);
}

// The text up to its first zero character, where the system's C strings would end.
std::string_view UpToZero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

// wantedLower: a name as the search keeps it, already lower-cased.
bool SameName(std::string_view stored, std::string_view wantedLower) {
    return AsciiLower(UpToZero(stored)) == wantedLower;
}

std::size_t CodePoints(std::string_view utf8) {
    std::size_t count = 0;
    for (char c : utf8) {
        count += IsUtf8Continuation(c) ? 0 : 1;
    }
    return count;
}

// The first count characters of valid UTF-8.
std::string_view FirstCharacters(std::string_view utf8, std::size_t count) {
    std::size_t end = 0;
    for (; end < utf8.size(); ++end) {
        if (!IsUtf8Continuation(utf8[end]) && count-- == 0) {
            break;
        }
    }
    return utf8.substr(0, end);
}

// The default without its trailing blanks; one blank is kept of a default made of blanks only.
std::string_view StripDefault(std::string_view text) {
    while (text.size() > 1 && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

// Copies a value into the 2048-character buffer the way the profile call does, removing
// matching quotes. A quoted value whose closing quote falls exactly on the buffer's end loses
// its last character instead, as it does with the system.
std::string CopyToBuffer(std::string_view value) {
    value = UpToZero(value);
    bool quoted = false;
    if (value.size() > 1 && (value.front() == '\'' || value.front() == '"') &&
        value.back() == value.front()) {
        quoted = true;
        value.remove_prefix(1);
    }
    std::string copy(FirstCharacters(value, kBufferSize - 1));
    if (quoted && !copy.empty() && CodePoints(value) <= kBufferSize) {
        copy.resize(Utf8CharacterStart(copy, copy.size() - 1));  // the whole last character goes
    }
    return copy;
}

}  // namespace

ProfileSearch::ProfileSearch(std::string_view section, std::string_view key)
    : section_(AsciiLower(UpToZero(Trim(NormalizedUtf8(section))))),
      key_(AsciiLower(UpToZero(Trim(NormalizedUtf8(key))))),
      noKey_(NormalizedUtf8(key).empty()) {
    // Keys before the first header are in the nameless section.
    inWantedSection_ = sectionSeen_ = section_.empty();
    done_ = noKey_;
}

bool ProfileSearch::Feed(std::string_view bytes) {
    if (!done_) {
        Decode(bytes, false);
    }
    return done_;
}

std::string ProfileSearch::Result(std::string_view defaultValue) {
    if (!done_) {
        Decode({}, true);
        EndLine();
        done_ = true;
    }
    if (found_) {
        return CopyToBuffer(value_);
    }
    return CopyToBuffer(StripDefault(NormalizedUtf8(defaultValue)));
}

void ProfileSearch::Decode(std::string_view bytes, bool last) {
    if (encoding_ == Encoding::kUnknown) {
        // A UTF-16 byte-order mark, if any, is in the first two bytes.
        pending_.append(bytes);
        if (pending_.size() < 2 && !last) {
            return;
        }
        std::string_view start = pending_;
        encoding_ = Encoding::kUtf8;
        std::size_t mark = 0;
        if (start.substr(0, 2) == "\xFF\xFE") {
            encoding_ = Encoding::kUtf16Little;
            mark = 2;
        } else if (start.substr(0, 2) == "\xFE\xFF") {
            encoding_ = Encoding::kUtf16Big;
            mark = 2;
        }
        std::string first = pending_.substr(mark);
        pending_.clear();
        Decode(first, last);
        return;
    }
    std::string joined;
    if (!pending_.empty()) {
        joined = pending_ + std::string(bytes);
        pending_.clear();
        bytes = joined;
    }
    if (encoding_ == Encoding::kUtf8) {
        DecodeUtf8(bytes, last);
    } else {
        DecodeUtf16(bytes, last);
    }
}

void ProfileSearch::DecodeUtf8(std::string_view bytes, bool last) {
    std::string text;
    text.reserve(bytes.size());
    const std::size_t used = RepairUtf8(bytes, kReplacementCharacter, last, text);
    pending_.assign(bytes.substr(used));
    AddText(text);
}

void ProfileSearch::DecodeUtf16(std::string_view bytes, bool last) {
    const bool big = encoding_ == Encoding::kUtf16Big;
    const std::size_t count = bytes.size() / 2;
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t k = 0; k < count; ++k) {
        const auto first = static_cast<unsigned char>(bytes[2 * k]);
        const auto second = static_cast<unsigned char>(bytes[2 * k + 1]);
        const std::uint32_t unit = big ? (first << 8 | second) : (second << 8 | first);
        if (highSurrogate_ != 0) {
            const std::uint32_t high = highSurrogate_;
            highSurrogate_ = 0;
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                AppendUtf8(text, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
                continue;
            }
            text += kReplacementCharacter;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            highSurrogate_ = unit;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            text += kReplacementCharacter;
        } else {
            AppendUtf8(text, unit);
        }
    }
    if (last) {
        if (highSurrogate_ != 0) {
            text += kReplacementCharacter;
            highSurrogate_ = 0;
        }
    } else {
        pending_.assign(bytes.substr(2 * count));  // an odd byte waits for its pair
    }
    AddText(text);
}

void ProfileSearch::AddText(std::string_view text) {
    while (!text.empty() && !done_) {
        const std::size_t end = text.find_first_of("\r\n");
        std::string_view piece = text.substr(0, end);
        if (!skipLine_) {
            if (line_.empty()) {
                while (!piece.empty() && IsSpace(piece.front())) {
                    piece.remove_prefix(1);
                }
            }
            line_.append(piece);
            // Outside the wanted section only a header can matter.
            if (!line_.empty() && !inWantedSection_ && line_.front() != '[') {
                skipLine_ = true;
                line_.clear();
            }
        }
        if (end == std::string_view::npos) {
            return;
        }
        EndLine();
        text.remove_prefix(end + 1);
    }
}

void ProfileSearch::EndLine() {
    if (!skipLine_ && !done_) {
        TakeLine(Trim(line_));
    }
    line_.clear();
    skipLine_ = false;
}

void ProfileSearch::TakeLine(std::string_view line) {
    if (line.empty()) {
        return;
    }
    // A line starting with '[' that holds a ']' is a header; its name runs to the last ']'.
    const std::size_t close = line.front() == '[' ? line.rfind(']') : std::string_view::npos;
    if (close != std::string_view::npos) {
        if (sectionSeen_) {
            done_ = true;  // only the first section of that name counts
            return;
        }
        inWantedSection_ = sectionSeen_ = SameName(Trim(line.substr(1, close - 1)), section_);
        return;
    }
    if (!inWantedSection_) {
        return;
    }
    // A key line splits at its first '='; a line without one is a key without a value.
    const std::size_t equals = line.find('=');
    std::string_view name = line.substr(0, equals);
    while (!name.empty() && IsSpace(name.back())) {
        name.remove_suffix(1);
    }
    if (SameName(name, key_)) {
        done_ = true;
        found_ = equals != std::string_view::npos;
        if (found_) {
            std::string_view value = line.substr(equals + 1);
            while (!value.empty() && IsSpace(value.front())) {
                value.remove_prefix(1);
            }
            value_.assign(value);
        }
    }
}

std::string ReadProfileString(std::string_view fileBytes, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
    ProfileSearch search(section, key);
    search.Feed(fileBytes);
    return search.Result(defaultValue);
}

}  // namespace os
