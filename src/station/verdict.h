// The rules of the verdict display that need no window: its font and where the error line goes.
#pragma once

#include <string>

#include "station_view.h"

// The font every verdict is painted in: "宋体", bold italic, cell height 72 pixels. It replaces
// the layout's larger regular font at the first verdict.
inline constexpr FontSpec kVerdictFont{"宋体", 72, true, true};

// The text with line added as its new last line: when the text is empty or ends with a line
// break, line and CR LF are added; otherwise CR LF and line, with nothing after it.
std::string WithLastLine(const std::string& text, const std::string& line);
