// The programming run: check the station, program and verify the image, show PASS or FAIL.
#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "MainForm.h"
#include "core_text.h"
#include "error_codes.h"
#include "programmer.h"

namespace {

// Keeps a button disabled while it lives, so a run cannot be started twice and the button
// comes back on every way out, errors included.
class DisabledWhileRunning {
public:
    explicit DisabledWhileRunning(QPushButton* button) : button_(button) {
        button_->setEnabled(false);
    }
    ~DisabledWhileRunning() { button_->setEnabled(true); }
    DisabledWhileRunning(const DisabledWhileRunning&) = delete;
    DisabledWhileRunning& operator=(const DisabledWhileRunning&) = delete;

private:
    QPushButton* button_;
};

}  // namespace

void TRomForm::Button_StartClick() {
    SetMemoText(QString());
    const DisabledWhileRunning startDisabled(Button_Start);
    if (!CheckReady()) {
        ShowResult(QStringLiteral("FAIL"), Prog_Sn);
        return;
    }
    Panel_Result->setText(QStringLiteral("Working"));
    // Paint "Working"; input stays queued, so nothing can change the image between the check
    // and the run.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const std::string command =
        tool::ProgrammingCommand(Utf8(Prog_Path), Utf8(Hex_Path), cb_erase->isChecked());
    LogInfoText(QStringLiteral("CRC=") + Hex_Md5);
    LogInfoText(QStringLiteral("Para=") + FromUtf8(command));
    const tool::CommandResult run = RunTool(command, limits_.programming);
    if (run.timedOut || !tool::ProgrammingSucceeded(run.output)) {
        Error_Code = kProgrammingFailed;
    }
    ShowResult(QStringLiteral("PASS"), FromUtf8(run.output));
}
