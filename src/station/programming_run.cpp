// The programming run: check the station, program and verify the image, show PASS or FAIL.
#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <chrono>
#include <exception>

#include "MainForm.h"
#include "checksum.h"
#include "core_text.h"
#include "error_codes.h"
#include "production_record.h"
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

// Appends the production record of one press on every way out of the handler, with the
// fields as the press left them; an error that ended the press gives FAIL without a code.
class RecordedPress {
public:
    explicit RecordedPress(const TRomForm& form)
        : form_(form), errorsBefore_(std::uncaught_exceptions()) {}
    ~RecordedPress();
    RecordedPress(const RecordedPress&) = delete;
    RecordedPress& operator=(const RecordedPress&) = delete;

    void RunStarting() { runStart_ = std::chrono::steady_clock::now(); }
    void RunEnded(const tool::CommandResult& result) {
        run_ = log4me::ProductionRecord::Run{std::chrono::duration_cast<std::chrono::milliseconds>(
                                                 std::chrono::steady_clock::now() - runStart_),
                                             result.timedOut, result.exitCode};
    }

private:
    std::string CheckedChecksum() const;

    const TRomForm& form_;
    const int errorsBefore_;
    std::chrono::steady_clock::time_point runStart_;
    std::optional<log4me::ProductionRecord::Run> run_;
};

RecordedPress::~RecordedPress() {
    try {
        const bool raised = std::uncaught_exceptions() > errorsBefore_;
        log4me::ProductionRecord record;
        record.title = Utf8(form_.AppTitle());
        record.stationFolder = Utf8(form_.App_Path);
        // Without the programmer tool the check stops before the probe query.
        record.probeOutput = form_.Error_Code == kToolMissing ? "" : Utf8(form_.Prog_Sn);
        record.imagePath = Utf8(form_.Hex_Path);
        record.checksum = CheckedChecksum();
        record.erase = form_.cb_erase->isChecked();
        record.pass = !raised && form_.Error_Code == 0;
        if (!raised) {
            record.errorCode = form_.Error_Code;
        }
        record.run = run_;
        log4me::AppendProductionRecord(std::move(record));
    } catch (...) {
        // The record never stands in the way of the verdict.
    }
}

std::string RecordedPress::CheckedChecksum() const {
    if (run_) {
        return Utf8(form_.Hex_Md5);  // the run follows a passing check only
    }
    if (form_.Error_Code == kChecksumMismatch) {
        // The check keeps the image's checksum only when it matched; this is the image's own.
        try {
            return integrity::FileChecksum(Utf8(form_.Hex_Path));
        } catch (const std::exception&) {
        }
    }
    return {};
}

}  // namespace

void TRomForm::Button_StartClick() {
    SetMemoText(QString());
    RecordedPress record(*this);
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
    record.RunStarting();
    const tool::CommandResult run = RunTool(command, limits_.programming);
    record.RunEnded(run);
    if (run.timedOut || !tool::ProgrammingSucceeded(run.output)) {
        Error_Code = kProgrammingFailed;
    }
    ShowResult(QStringLiteral("PASS"), FromUtf8(run.output));
}
