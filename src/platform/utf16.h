// UTF-16 text for the Win32 calls, of the OS layer and of the native window alike. Windows
// builds only (text_win.cpp).
#pragma once

#include <string>
#include <string_view>

namespace os::win32 {

// UTF-8 to UTF-16 for the W calls; invalid UTF-8 becomes U+FFFD.
std::wstring Widen(std::string_view utf8);
// UTF-16 from a W call to UTF-8.
std::string Narrow(std::wstring_view utf16);

}  // namespace os::win32
