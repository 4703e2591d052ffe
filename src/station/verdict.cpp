// ShowResult: the one routine that paints a verdict.
#include "verdict.h"

#include "MainForm.h"
#include "serial_label.h"
#include "station_log.h"

std::string WithLastLine(const std::string& text, const std::string& line) {
    if (text.empty() || text.back() == '\n' || text.back() == '\r') {
        return text + line + "\r\n";
    }
    return text + "\r\n" + line;
}

void TRomForm::ShowResult(const std::string& status, const std::string& detail) {
    std::string caption = status;
    std::string text = detail;
    Rgb colour = kVerdictGreen;
    if (Error_Code != 0) {
        caption = "FAIL";
        text = WithLastLine(text, ErrorText(Error_Code));
        colour = kVerdictRed;
    }
    view_.SetVerdictFont(kVerdictFont, colour);
    view_.SetVerdictCaption(caption);
    SetMemoText(text);
    if (Error_Code != 0) {
        LogErrorText(memoText_);
    }
    // Every verdict's text is logged as info, so a failure's text is logged at both levels.
    LogInfoText(memoText_);
    view_.SetSerialText(tool::SerialLabelText(Prog_Sn));
}
