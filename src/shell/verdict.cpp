// ShowResult: the one routine that paints a verdict.
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>

#include "MainForm.h"
#include "core_text.h"
#include "serial_label.h"
#include "verdict_text.h"

namespace {

void SetTextColour(QLabel& label, const QColor& colour) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, colour);
    label.setPalette(palette);
}

}  // namespace

void TRomForm::SetMemoText(const QString& text) {
    memoText_ = text;
    Memo_Output->setPlainText(DisplayText(text));
}

void TRomForm::ShowResult(const QString& status, const QString& detail) {
    SetMemoText(QString());
    const QFont font = VerdictFont();
    QColor colour = kVerdictGreen;
    Panel_Result->setFont(font);
    Panel_Result->setText(status);
    SetMemoText(detail);
    if (Error_Code != 0) {
        Panel_Result->setText(QStringLiteral("FAIL"));
        SetMemoText(WithLastLine(memoText_, ErrorText(Error_Code)));
        colour = kVerdictRed;
        LogErrorText(memoText_);
    }
    SetTextColour(*Panel_Result, colour);
    // Every verdict's text is logged as info, so a failure's text is logged at both levels.
    LogInfoText(memoText_);
    Label_SN->setText(DisplayText(FromUtf8(tool::SerialLabelText(Utf8(Prog_Sn)))));
    Label_SN->adjustSize();
}
