// The INI reader behind os::GetProfileString (profile.h) on platforms without the profile call, fed
// the file's bytes piece by piece so that a file of any size is read in pieces of its own size and
// no further than the answer needs. The answer is the same for any split of the bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace os {

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

    std::string section_;
    std::string key_;
    bool noKey_;  // an empty key: the default comes back without reading the file

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
