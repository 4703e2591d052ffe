// The programming run: the operator presses start, and the station checks itself, programs and
// verifies the image (reading the chip's ID and writing its serial number when config.ini asks
// for them), shows PASS or FAIL and writes the press's row.
#include <exception>
#include <optional>
#include <utility>

#include "MainForm.h"
#include "check_steps.h"
#include "error_codes.h"
#include "press_record.h"
#include "programming_run.h"
#include "run_display.h"
#include "run_plan.h"
#include "serial_number_store.h"
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

// Runs a function when it goes out of scope, on every way out.
template <typename Function>
class AtScopeExit {
public:
    explicit AtScopeExit(Function function) : function_(std::move(function)) {}
    ~AtScopeExit() { function_(); }
    AtScopeExit(const AtScopeExit&) = delete;
    AtScopeExit& operator=(const AtScopeExit&) = delete;

private:
    Function function_;
};

}  // namespace

void TRomForm::Button_StartClick() {
    SetMemoText("");
    const bool erase = view_.EraseChecked();
    Press press;
    // Every press has its row, written after its verdict, also when an error ended it.
    const int errorsBefore = std::uncaught_exceptions();
    const AtScopeExit finish(
        [&] { FinishPress(press, erase, std::uncaught_exceptions() > errorsBefore); });
    const StartDisabledWhileRunning startDisabled(view_);
    if (!CheckReady() || !ReserveSerialNumber(press)) {
        ShowResult(CheckVerdict("FAIL"));
        return;
    }
    view_.SetVerdictCaption("Working");
    // Paint "Working"; input stays queued, so nothing can change the image between the check
    // and the run.
    view_.RepaintKeepingInput();
    const RunPlan plan =
        PlanRun(paths_, settings_, lastCheck_, erase, limits_.programming, press.serialNumber);
    LogInfoText("CRC=" + hexMd5_);
    LogInfoText("Para=" + plan.Para());
    {
        RunDisplay display(view_);  // gone before the verdict shows
        press.run = RunPlanned(plan, Runner(), display);
    }
    const RunResult& run = *press.run;
    ShowResult(run.succeeded ? Passed("PASS", run.detail, lastCheck_.probeOutput)
                             : Failed(kProgrammingFailed, run.detail, ErrorText(kProgrammingFailed),
                                      lastCheck_.probeOutput));
}

bool TRomForm::ReserveSerialNumber(Press& press) {
    if (!settings_.chip.serial) {
        return true;
    }
    const database::SerialBlockAnswer answer = SerialRange(database::kSerialBlockWait);
    serial_numbers::Reservation reservation;
    if (answer.range) {
        reservation =
            serial_numbers::SerialNumberStore(paths_.App_Path).Reserve(title_, *answer.range);
    }
    if (reservation.voided) {
        RecordVoidedNumber(*reservation.voided);
    }
    press.serialNumber = reservation.number;
    if (!reservation.number) {  // another copy took the last one since the check
        lastCheck_.code = errorCode_ = kSerialNumbers;
        lastCheck_.serialMessage = UsedUpMessage(*settings_.chip.serial, answer);
        return false;
    }
    return true;
}
