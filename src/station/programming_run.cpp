// The programming run: check the station, program and verify the image, show PASS or FAIL.
#include <algorithm>
#include <chrono>
#include <exception>
#include <optional>
#include <utility>

#include "MainForm.h"
#include "error_codes.h"
#include "nrfutil_output.h"
#include "nrfutil_programmer.h"
#include "production_record.h"
#include "programmer.h"
#include "run_display.h"
#include "station_log.h"
#include "verdict.h"

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

// The production record of one press, as the press left the fields; an error that ended the
// press gives FAIL without a code.
class RecordedPress {
public:
    RecordedPress(const TRomForm& form, bool erase)
        : form_(form), erase_(erase), errorsBefore_(std::uncaught_exceptions()) {}

    void RunStarting() { runStart_ = std::chrono::steady_clock::now(); }
    void RunEnded(const tool::CommandResult& result) {
        run_ = ProductionRecord::Run{std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - runStart_),
                                     result.timedOut, result.exitCode};
    }
    ProductionRecord Row() const;

private:
    std::string CheckedChecksum() const;

    const TRomForm& form_;
    const bool erase_;
    const int errorsBefore_;
    std::chrono::steady_clock::time_point runStart_;
    std::optional<ProductionRecord::Run> run_;
};

ProductionRecord RecordedPress::Row() const {
    const bool raised = std::uncaught_exceptions() > errorsBefore_;
    ProductionRecord record;
    record.title = form_.AppTitle();
    record.stationFolder = form_.App_Path;
    record.probeOutput = form_.LastCheck().probeQueried ? form_.Prog_Sn : "";
    record.imagePath = form_.Hex_Path;
    record.checksum = CheckedChecksum();
    record.probeSerial = form_.LastCheck().probeSerial;
    record.erase = erase_;
    record.pass = !raised && form_.Error_Code == 0;
    if (!raised) {
        record.errorCode = form_.Error_Code;
    }
    record.run = run_;
    return record;
}

std::string RecordedPress::CheckedChecksum() const {
    if (run_) {
        return form_.Hex_Md5;  // the run follows a passing check only
    }
    if (form_.Error_Code == kChecksumMismatch) {
        return form_.LastCheck().computedChecksum;  // the image's own, which did not match
    }
    return {};
}

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
    RecordedPress record(*this, view_.EraseChecked());
    // Every press has its row, written after its verdict, also when an error ended it.
    const AtScopeExit writeRow([this, &record] { WriteRecord(record.Row()); });
    const StartDisabledWhileRunning startDisabled(view_);
    if (!CheckReady()) {
        ShowResult("FAIL", Prog_Sn);
        return;
    }
    view_.SetVerdictCaption("Working");
    // Paint "Working"; input stays queued, so nothing can change the image between the check
    // and the run.
    view_.RepaintKeepingInput();
    const std::vector<std::string> commands = ProgrammingCommands(view_.EraseChecked());
    LogInfoText("CRC=" + Hex_Md5);
    // Every command of the run, in order, as a batch file would chain them.
    std::string para;
    for (const std::string& command : commands) {
        para += (para.empty() ? "" : " && ") + command;
    }
    LogInfoText("Para=" + para);
    record.RunStarting();
    const ProgrammingOutcome outcome = RunProgramming(commands);
    record.RunEnded(outcome.lastRun);
    if (!outcome.succeeded) {
        Error_Code = kProgrammingFailed;
    }
    ShowResult("PASS", outcome.detail);
}

void TRomForm::WriteRecord(const ProductionRecord& row) {
    try {
        const log4me::AppendResult result = record_.Append(logConfig_.folder, row);
        if (result.placement != log4me::Placement::kWaitingInMemory &&
            result.placement != log4me::Placement::kLost) {
            return;  // in the file, or safely waiting on disk
        }
        const std::string line =
            "ERROR:生产记录" + result.path + "写不进去（" + result.problem + "），" +
            (result.placement == log4me::Placement::kLost
                 ? "内存中也已放不下，本次记录丢失。"
                 : "本次记录暂存在内存中，目录可以写入后会自动补写。");
        SetMemoText(WithLastLine(memoText_, line));
        LogErrorText(line);
    } catch (...) {
        // Called on the way out of a press: nothing may escape.
    }
}

std::vector<std::string> TRomForm::ProgrammingCommands(bool erase) const {
    if (config_.programmer == Programmer::kNrfutil) {
        return tool::NrfutilProgrammingCommands(Prog_Path, Hex_Path, lastCheck_.probeSerial, erase);
    }
    return {
        tool::ProgrammingCommand(Prog_Path, Hex_Path, erase, Prog_Para, config_.PinnedSerial())};
}

// The whole run, every step of it, ends within the programming run's limit.
TRomForm::ProgrammingOutcome TRomForm::RunProgramming(const std::vector<std::string>& commands) {
    RunDisplay display(view_);
    ProgrammingOutcome outcome;
    if (config_.programmer == Programmer::kNrfjprog) {
        outcome.lastRun = RunTool(commands.front(), limits_.programming, &display);
        outcome.detail = outcome.lastRun.output;
        outcome.succeeded =
            !outcome.lastRun.timedOut && tool::ProgrammingSucceeded(outcome.lastRun.output);
        return outcome;
    }
    // nrfutil prints JSON lines: the operator reads an account of each step instead.
    const auto deadline = std::chrono::steady_clock::now() + limits_.programming;
    outcome.succeeded = true;
    for (const std::string& command : commands) {
        display.ShowInstead(outcome.detail + command + "\n");
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        outcome.lastRun = RunTool(command, std::max(left, std::chrono::milliseconds(1)), &display);
        outcome.detail +=
            tool::NrfutilStepAccount(command, outcome.lastRun.output, outcome.lastRun.exitCode) +
            "\n";
        if (outcome.lastRun.timedOut ||
            !tool::NrfutilStepPassed(outcome.lastRun.output, outcome.lastRun.exitCode)) {
            outcome.succeeded = false;
            break;
        }
    }
    return outcome;
}
