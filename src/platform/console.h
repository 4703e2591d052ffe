// Text for a console program's standard output and standard error.
#pragma once

#include <string_view>

namespace os {

enum class StandardStream { kOutput, kError };

// Writes UTF-8 text to the stream: to a Windows console as Unicode (WriteConsoleW), so any
// character shows; to a file or a pipe, and everywhere on Linux, as the bytes. Returns false when
// it could not be written.
bool WriteText(StandardStream stream, std::string_view utf8);

}  // namespace os
