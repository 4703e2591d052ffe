// The programming run: check the station, program and verify the image, show PASS or FAIL.
#include "MainForm.h"
#include "error_codes.h"
#include "programmer.h"
#include "station_log.h"

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

void TRomForm::Button_StartClick() {
    SetMemoText("");
    const StartDisabledWhileRunning startDisabled(view_);
    if (!CheckReady()) {
        ShowResult("FAIL", Prog_Sn);
        return;
    }
    view_.SetVerdictCaption("Working");
    // Paint "Working"; input stays queued, so nothing can change the image between the check
    // and the run.
    view_.RepaintKeepingInput();
    const std::string command = tool::ProgrammingCommand(Prog_Path, Hex_Path, view_.EraseChecked());
    LogInfoText("CRC=" + Hex_Md5);
    LogInfoText("Para=" + command);
    const tool::CommandResult run = RunTool(command, limits_.programming);
    if (run.timedOut || !tool::ProgrammingSucceeded(run.output)) {
        Error_Code = kProgrammingFailed;
    }
    ShowResult("PASS", run.output);
}
