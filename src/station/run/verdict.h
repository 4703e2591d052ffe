// A verdict as a value: what the panel, the text area and the serial label show, and the code
// behind it. The form paints it (TRomForm::ShowResult) and logs its text; nothing overrides it.
#pragma once

#include <string>

namespace station {

// A colour as red, green and blue, 0-255 each.
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;

    friend constexpr bool operator==(const Rgb& a, const Rgb& b) {
        return a.red == b.red && a.green == b.green && a.blue == b.blue;
    }
    friend constexpr bool operator!=(const Rgb& a, const Rgb& b) { return !(a == b); }
};

inline constexpr Rgb kVerdictGreen{0, 255, 0};
inline constexpr Rgb kVerdictRed{255, 0, 0};

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

}  // namespace station
