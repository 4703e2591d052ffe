// The text of the error box that ends a handler in which an error was raised.
#pragma once

#include <string>

namespace station {

// A full stop is added when the message's last character comes after "." in character order, so
// "Cannot open file ... denied" gets one and a message ending in ".", a blank or a line break
// does not. Characters beyond ASCII (their last UTF-8 byte) all come after ".".
std::string ErrorBoxText(const std::string& message);

}  // namespace station
