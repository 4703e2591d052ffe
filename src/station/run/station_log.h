// The station's texts are UTF-8; the logger takes ANSI bytes. These convert at the call.
#pragma once

#include <string>

namespace station {

void LogInfoText(const std::string& text);
void LogErrorText(const std::string& text);

}  // namespace station
