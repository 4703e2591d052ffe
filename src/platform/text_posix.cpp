// Text on Linux, where the ANSI code page is UTF-8.
#include <cstring>

#include "platform/text.h"

namespace os {

const char* const kLineBreak = "\n";

AnsiString ToAnsi(std::string_view utf8) {
    return AnsiString(RepairedUtf8(utf8, "?"));
}

std::string FromAnsi(std::string_view ansi) {
    return RepairedUtf8(ansi, kReplacementCharacter);
}

namespace {

// strerror_r returns an int (XSI) or the text itself (GNU), depending on the C library.
[[maybe_unused]] const char* PickErrorText(int result, const char* buffer) {
    return result == 0 ? buffer : "Unknown error";
}
[[maybe_unused]] const char* PickErrorText(const char* result, const char*) {
    return result;
}

}  // namespace

std::string SystemErrorText(std::uint32_t code) {
    char buffer[256] = {};
    std::string text =
        PickErrorText(::strerror_r(static_cast<int>(code), buffer, sizeof buffer), buffer);
    while (!text.empty()) {
        const unsigned char last = static_cast<unsigned char>(text.back());
        if (last != ' ' && last != '.' && last >= 0x20 && last != 0x7f) {
            break;
        }
        text.pop_back();
    }
    return text;
}

}  // namespace os
