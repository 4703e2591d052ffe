// Probe serial numbers as the station compares them. The programmers print them with or without
// leading zeros (nrfjprog without, its successor as twelve digits), so a serial is compared as
// its decimal digits without leading zeros.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tool {

// text as a serial: its decimal digits without leading zeros ("0" for zeros only); nothing when
// text is empty or holds anything but decimal digits.
std::optional<std::string> CanonicalSerial(std::string_view text);

// The serials a probe query listed: every line of the output that is decimal digits once
// trimmed, in order, as canonical serials.
std::vector<std::string> ListedSerials(std::string_view probeOutput);

}  // namespace tool
