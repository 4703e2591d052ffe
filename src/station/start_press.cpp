// The programming run: the operator presses start, and the station checks itself, programs and
// verifies the image, shows PASS or FAIL and writes the press's row.
#include <exception>
#include <optional>
#include <utility>

#include "MainForm.h"
#include "error_codes.h"
#include "press_record.h"
#include "programming_run.h"
#include "run_display.h"
#include "run_plan.h"
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
    std::optional<RunResult> run;
    // Every press has its row, written after its verdict, also when an error ended it.
    const int errorsBefore = std::uncaught_exceptions();
    const AtScopeExit writeRow([&] {
        const bool raised = std::uncaught_exceptions() > errorsBefore;
        WriteRecord(RecordOfPress(title_, paths_, lastCheck_, erase, run, raised));
    });
    const StartDisabledWhileRunning startDisabled(view_);
    if (!CheckReady()) {
        ShowResult(CheckVerdict("FAIL"));
        return;
    }
    view_.SetVerdictCaption("Working");
    // Paint "Working"; input stays queued, so nothing can change the image between the check
    // and the run.
    view_.RepaintKeepingInput();
    const RunPlan plan = PlanRun(paths_, settings_, lastCheck_, erase, limits_.programming);
    LogInfoText("CRC=" + hexMd5_);
    LogInfoText("Para=" + plan.Para());
    {
        RunDisplay display(view_);  // gone before the verdict shows
        run = RunPlanned(plan, Runner(), display);
    }
    ShowResult(run->succeeded ? Passed("PASS", run->detail, lastCheck_.probeOutput)
                              : Failed(kProgrammingFailed, run->detail,
                                       ErrorText(kProgrammingFailed), lastCheck_.probeOutput));
}

void TRomForm::WriteRecord(const ProductionRecord& row) {
    try {
        const log4me::AppendResult result = record_.Append(settings_.log.folder, row);
        if (result.placement != log4me::Placement::kWaitingInMemory &&
            result.placement != log4me::Placement::kLost) {
            return;  // in the file, or safely waiting on disk
        }
        const std::string line = "ERROR:生产记录" + result.path + "写不进去（" + result.problem +
                                 "），" +
                                 (result.placement == log4me::Placement::kLost
                                      ? "内存中也已放不下，本次记录丢失。"
                                      : "本次记录暂存在内存中，目录可以写入后会自动补写。");
        SetMemoText(WithLastLine(memoText_, line));
        LogErrorText(line);
    } catch (...) {
        // Called on the way out of a press: nothing may escape.
    }
}
