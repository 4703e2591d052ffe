// ShowResult: the one routine that paints a verdict.
#include "MainForm.h"
#include "serial_label.h"
#include "station_log.h"

void TRomForm::ShowResult(const Verdict& verdict) {
    view_.SetVerdictFont(kVerdictFont, verdict.colour);
    view_.SetVerdictCaption(verdict.caption);
    SetMemoText(verdict.text);
    errorCode_ = verdict.code;
    if (verdict.code != 0) {
        LogErrorText(memoText_);
    }
    // Every verdict's text is logged as info, so a failure's text is logged at both levels.
    LogInfoText(memoText_);
    view_.SetSerialText(SerialLabelText(verdict.serial));
}
