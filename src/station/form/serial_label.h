// What the serial number label shows of the probe query's output.
#pragma once

#include <cstddef>
#include <string>

namespace station {

inline constexpr std::size_t kSerialLabelLines = 8;
inline constexpr std::size_t kSerialLabelBytes = 4096;

// The first kSerialLabelLines lines of probeOutput, at most kSerialLabelBytes bytes of it, ended
// with "…" when something was left out; the whole text when it fits. Never cuts a UTF-8
// character. A label sized to megabytes of text would bring the window down.
std::string SerialLabelText(const std::string& probeOutput);

}  // namespace station
