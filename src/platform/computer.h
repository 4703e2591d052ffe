// The computer the program runs on, as the network knows it.
#pragma once

#include <string>

namespace os {

// The computer's name (Windows: its NetBIOS name, e.g. "LINE3-PC07"; Linux: the host name), or
// "" when the system gives none.
std::string ComputerName();

}  // namespace os
