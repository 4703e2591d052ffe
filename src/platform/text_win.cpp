// Text on Windows: UTF-16 for the W calls, the ANSI code page through the system's conversions.
#include <iterator>
#include <limits>
#include <stdexcept>

#include "platform/internal/win32.h"
#include "platform/text.h"

namespace os {

namespace win32 {

namespace {

int CheckedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw std::length_error("text too long for the system's conversion");
    }
    return static_cast<int>(size);
}

}  // namespace

bool ToWide(UINT codePage, DWORD flags, std::string_view bytes, std::wstring& wide) {
    wide.clear();
    if (bytes.empty()) {
        return true;
    }
    const int length = CheckedLength(bytes.size());
    const int size = MultiByteToWideChar(codePage, flags, bytes.data(), length, nullptr, 0);
    if (size <= 0) {
        return false;
    }
    wide.resize(static_cast<std::size_t>(size));
    return MultiByteToWideChar(codePage, flags, bytes.data(), length, wide.data(), size) == size;
}

std::string FromWide(UINT codePage, std::wstring_view wide) {
    if (wide.empty()) {
        return {};
    }
    const int length = CheckedLength(wide.size());
    const int size =
        WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return {};
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::wstring Widen(std::string_view utf8) {
    std::wstring wide;
    ToWide(CP_UTF8, 0, utf8, wide);
    return wide;
}

std::string Narrow(std::wstring_view utf16) {
    return FromWide(CP_UTF8, utf16);
}

}  // namespace win32

const char* const kLineBreak = "\r\n";

AnsiString ToAnsi(std::string_view utf8) {
    return AnsiString(win32::FromWide(CP_ACP, win32::Widen(utf8)));
}

std::string FromAnsi(std::string_view ansi) {
    std::wstring wide;
    if (win32::ToWide(CP_ACP, MB_ERR_INVALID_CHARS, ansi, wide)) {
        return win32::Narrow(wide);
    }
    const UINT codePage = GetACP();
    if (codePage == CP_UTF8) {
        return win32::Narrow(win32::Widen(ansi));  // already U+FFFD for what does not decode
    }
    // Some byte does not decode: go character by character so that only those become U+FFFD,
    // and a broken double-byte pair does not swallow the byte after its lead byte.
    std::wstring result;
    std::wstring piece;
    std::size_t i = 0;
    while (i < ansi.size()) {
        const bool lead = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(ansi[i])) != 0;
        const std::size_t length = lead && i + 1 < ansi.size() ? 2 : 1;
        if (win32::ToWide(codePage, MB_ERR_INVALID_CHARS, ansi.substr(i, length), piece)) {
            result += piece;
            i += length;
        } else {
            result += L'\xFFFD';
            i += 1;
        }
    }
    return win32::Narrow(result);
}

namespace {

bool DroppedAtTheEnd(wchar_t c) {
    // The ideographic full stop ends the system's texts on Chinese Windows.
    return c <= L' ' || c == L'.' || c == L'\x3002';
}

}  // namespace

std::string SystemErrorText(std::uint32_t code) {
    wchar_t text[1024];
    DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                       text, static_cast<DWORD>(std::size(text)), nullptr);
    while (length > 0 && DroppedAtTheEnd(text[length - 1])) {
        --length;
    }
    if (length == 0) {
        return "System error " + std::to_string(code);
    }
    return win32::Narrow(std::wstring_view(text, length));
}

}  // namespace os
