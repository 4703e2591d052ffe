// The INI reader behind os::GetProfileString (profile.h) on platforms without the profile call, fed
// the file's bytes piece by piece so that a file of any size is read in pieces of its own size and
// no further than the answer needs. The answer is the same for any split of the bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace os {

// The answer is what GetPrivateProfileStringW returns for the same file with a 2048-character
// buffer. The search works on UTF-8 throughout, a line at a time, so memory follows the longest
// line, not four bytes for every character of the file:
//
// - Encoding: a UTF-16 byte-order mark (either byte order) makes the file UTF-16; otherwise the
//   bytes are taken as UTF-8, the ANSI code page on Linux. A UTF-8 byte-order mark is not
//   skipped: Windows reads such a file in the ANSI code page, so the mark is part of the first
//   line, which then is no section header (Wine skips it; the reader follows Windows). Bytes
//   that do not decode become U+FFFD. The result is UTF-8.
// - Lines end at '\n' and at '\r', also at a lone '\r' among LF line ends. White space (blank,
//   tab, '\r', other ASCII control spacing, ^Z) is trimmed at both ends of every line.
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
class ProfileSearch {
public:
    // Looks for key in the first section named section (both UTF-8).
    ProfileSearch(std::string_view section, std::string_view key);

    // Takes the next bytes of the file. Returns true once the answer is known: the rest of the
    // file cannot change it and need not be read.
    bool Feed(std::string_view bytes);
    // After the last bytes (or once Feed returned true): the value, or the default when the
    // section or the key is missing, as the profile call returns it (UTF-8).
    std::string Result(std::string_view defaultValue);

private:
    enum class Encoding { kUnknown, kUtf8, kUtf16Little, kUtf16Big };

    void Decode(std::string_view bytes, bool last);
    void DecodeUtf8(std::string_view bytes, bool last);
    void DecodeUtf16(std::string_view bytes, bool last);
    void AddText(std::string_view utf8);
    void EndLine();
    void TakeLine(std::string_view line);

    std::string section_;  // lower-cased, as names are compared
    std::string key_;      // lower-cased
    bool noKey_;           // an empty key: the default comes back without reading the file

    Encoding encoding_ = Encoding::kUnknown;
    std::string pending_;              // bytes that do not make a whole character yet
    std::uint32_t highSurrogate_ = 0;  // a UTF-16 high surrogate waiting for its pair
    std::string line_;                 // the line so far, UTF-8
    bool skipLine_ = false;            // the rest of this line cannot matter

    bool inWantedSection_ = false;
    bool sectionSeen_ = false;
    bool done_ = false;
    bool found_ = false;
    std::string value_;
};

}  // namespace os
