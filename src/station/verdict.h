// A verdict as a value: what the panel, the text area and the serial label show, and the code
// behind it. The form paints it (TRomForm::ShowResult) and logs its text; nothing overrides it.
#pragma once

#include <string>

#include "station_view.h"

// The font every verdict is painted in: "宋体", bold italic, cell height 72 pixels. It replaces
// the layout's larger regular font at the first verdict.
inline constexpr FontSpec kVerdictFont{"宋体", 72, true, true};

struct Verdict {
    std::string caption;  // Panel_Result: "Ready", "PASS", "CRC OK" or "FAIL"
    Rgb colour = kVerdictGreen;
    std::string text;    // Memo_Output's whole text
    int code = 0;        // the error code; 0 for none
    std::string serial;  // what Label_SN shows of the probe query's output
};

// A verdict without an error: caption in green over detail.
Verdict Passed(std::string caption, std::string detail, std::string serial);
// "FAIL" in red, over detail with message, the error code's text, as its new last line.
Verdict Failed(int code, const std::string& detail, const std::string& message, std::string serial);

// The text with line added as its new last line: when the text is empty or ends with a line
// break, line and CR LF are added; otherwise CR LF and line, with nothing after it.
std::string WithLastLine(const std::string& text, const std::string& line);
