// UTF-16 text for the ODBC calls, whose wide text is 16-bit on every platform (SQLWCHAR).
#pragma once

#include <string>
#include <string_view>

namespace odbc {

// UTF-8 to UTF-16; ill-formed UTF-8 becomes U+FFFD.
std::u16string Utf16Of(std::string_view utf8);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8Of(std::u16string_view utf16);

}  // namespace odbc
