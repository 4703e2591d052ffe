// The form's handlers: each forwards the operator's action to the station and presents what it
// returns; and how the form presents what the station tells while it works.
#include "station/form/MainForm.h"
#include "station/form/serial_label.h"
#include "station/run/station_log.h"

namespace station {

namespace {

// Keeps the start button disabled while it lives, so a run cannot be started twice and the
// button comes back on every way out, errors included.
class StartDisabledWhileRunning {
public:
    explicit StartDisabledWhileRunning(StationView& view) : view_(view) {
        view_.SetStartEnabled(false);
    }
    ~StartDisabledWhileRunning() { view_.SetStartEnabled(true); }
    StartDisabledWhileRunning(const StartDisabledWhileRunning&) = delete;
    StartDisabledWhileRunning& operator=(const StartDisabledWhileRunning&) = delete;

private:
    StationView& view_;
};

}  // namespace

void TRomForm::FormShow() {
    LogInfoText("程序启动自检");
    // A run cut off by a crash or a power cut left its serial number reserved: its FAIL row
    // comes first.
    station_.VoidNumberCutOff();
    if (benchPanel_) {
        benchPanel_->VoidNumbersCutOff();
    }
    Button_GetJlinkClick();
}

void TRomForm::Button_StartClick() {
    if (benchPanel_) {  // the panel: every Ready fixture with a board, each on its thread
        benchPanel_->StartPanel(view_.EraseChecked());
        view_.SetTicking(benchPanel_->Watching());
        return;
    }
    PressBoard();
}

bool TRomForm::PressBoard() {
    SetMemoText("");
    const bool erase = view_.EraseChecked();
    bool pressed = true;
    {
        const StartDisabledWhileRunning startDisabled(view_);
        const PressOutcome outcome = station_.Press(erase, *this, view_.LabelText());
        if (outcome.LabelRefused()) {
            // Nothing ran: the label stays in view with the reason beside it, selected, so that
            // the next scan replaces it instead of being appended to it.
            SetMemoText(outcome.labelRefusal);
            refusedLabel_ = view_.LabelText();
            FocusLabel();
            pressed = false;
        }
    }
    if (pressed) {
        boardWaiting_ = false;  // the board waiting for its label, if any, has had its press
    }
    view_.SetTicking(station_.Watching());
    return pressed;
}

void TRomForm::Button_GetJlinkClick() {
    if (!BenchToolsFree()) {
        return;
    }
    Init(false);
    if (benchPanel_) {
        BenchRefresh();
        return;
    }
    const bool ready = CheckReady();
    ShowResult(station_.CheckVerdict("Ready"));
    view_.SetNextSerialText(station_.NextSerialText());
    view_.SetCountsText(station_.CountsText());
    if (ready) {
        FocusLabel();  // the scanner's next label goes there
    }
}

void TRomForm::Button_SelectClick() {
    if (!BenchToolsFree()) {
        return;
    }
    const std::string chosen = view_.ChooseImage(station_.Paths().App_Path);
    if (!chosen.empty()) {
        station_.ChooseImage(chosen);
        Init(false);
    }
    Button_GetJlinkClick();
}

void TRomForm::Button_CRCClick() {
    if (!BenchToolsFree()) {
        return;
    }
    const ChecksumReport report = station_.ComputeChecksum();
    SetMemoText(report.text);
    station_.SaveChecksum(report);
    if (!benchPanel_) {  // the tiles stand in the verdict's place
        ShowResult(Passed("CRC OK", "", station_.LastCheck().probeOutput));
    }
    const std::string& name = station_.Paths().Hex_Name;
    view_.ShowChecksumBox(AppTitle(), name + "的校验信息写入成功");
    Button_GetJlinkClick();
}

void TRomForm::Button_HelpClick() {
    if (benchPanel_ && benchPanel_->AnyPressing()) {
        return;  // the text area shows the fixtures' output
    }
    SetMemoText(station_.OptionList(*this));
}

void TRomForm::Button_ExitClick() {
    view_.CloseWindow();
}

void TRomForm::Init(bool first) {
    station_.Init(first, *this);
    ConfigureBench(first);
    view_.SetHexPathText(station_.Paths().Hex_Path);
    view_.SetChecksumEnabled(station_.ChecksumWritable());
    errorCode_ = 0;
}

bool TRomForm::CheckReady() {
    const CheckResult& check = station_.Check(*this);
    errorCode_ = check.code;
    view_.SetTicking(station_.Watching());
    return check.Ready();
}

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

void TRomForm::DatabaseChanged() {
    if (const std::optional<std::string> state = station_.DatabaseState()) {
        view_.SetDatabaseText(*state);
    }
}

void TRomForm::FocusLabel() {
    view_.FocusLabel();
    // A field that lost the focus meanwhile (a click on 刷新信息) lost its selection with it.
    if (!refusedLabel_.empty() && view_.LabelText() == refusedLabel_) {
        view_.SelectLabelText();
    }
}

void TRomForm::SetMemoText(const std::string& text) {
    memoText_ = text;
    view_.SetMemoText(text);
}

void TRomForm::SettingsRead(const std::string& commandTemplate) {
    view_.SetCommandText(commandTemplate);
    view_.SetLabelVisible(station_.Settings().chip.label.on);
}

void TRomForm::RunStarting() {
    errorCode_ = 0;
    view_.SetVerdictCaption("Working");
    // Paint "Working"; input stays queued, so nothing can change the image between the check
    // and the run.
    view_.RepaintKeepingInput();
}

void TRomForm::PressFinished(const PressOutcome& outcome) {
    std::string text = memoText_;
    for (const std::string& note : outcome.notes) {
        text = WithLastLine(text, note);
    }
    if (text != memoText_) {
        SetMemoText(text);
    }
    view_.SetNextSerialText(outcome.nextSerialText);
    view_.SetCountsText(outcome.countsText);
    // Every press that ran, PASS or FAIL or ended by an error, used its board's label.
    view_.SetLabelText("");
    refusedLabel_.clear();
    FocusLabel();
}

}  // namespace station
