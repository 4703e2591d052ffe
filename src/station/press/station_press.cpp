// A press of start: the check, the board's serial number reserved, the run, the verdict, and on
// every way out the press's row, the chip's log lines, the same-chip note and the number settled.
#include <exception>
#include <optional>
#include <utility>

#include "database/station_database.h"
#include "platform/paths.h"
#include "serial_numbers/serial_number_store.h"
#include "station/check/check_steps.h"
#include "station/check/error_codes.h"
#include "station/press/board_label.h"
#include "station/press/press_record.h"
#include "station/press/station.h"
#include "station/run/core_part_files.h"
#include "station/run/numbered_image_file.h"
#include "station/run/programming_run.h"
#include "station/run/run_display.h"
#include "station/run/run_plan.h"
#include "station/run/station_log.h"
#include "station/settings/press_recipe.h"

namespace station {

namespace {

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

// A line for the text area and the log, "ERROR:" first, of a step after the verdict that failed.
std::string FailedStepLine(const std::string& step, const std::exception& error) {
    return "ERROR:" + step + "：" + error.what();
}

}  // namespace

// What a press found beyond the check: the serial number it reserved and its run.
struct Station::Pressed {
    std::string label;  // the board's label, accepted; "" when the station asks for none
    std::optional<std::uint32_t> serialNumber;
    std::optional<RunResult> run;
    Verdict verdict;
    std::string mesCheck;   // the row's mes_check: "" without [mes]
    bool reported = false;  // the MES's report is written
    std::string mesNote;    // why it could not be
};

PressOutcome Station::Press(bool erase, StationEvents& events, std::string_view scannedLabel) {
    PressOutcome outcome;
    {
        Pressed press;
        if (!TakeLabel(scannedLabel, press, outcome, events) ||
            !RouteCheck(press.label, press.mesCheck, outcome, events)) {
            return outcome;
        }
        const int errorsBefore = std::uncaught_exceptions();
        const AtScopeExit finish([&] {
            FinishPress(press, erase, std::uncaught_exceptions() > errorsBefore, outcome);
            events.PressFinished(outcome);
        });
        RunPress(erase, events, press);
    }
    return outcome;
}

bool Station::TakeLabel(std::string_view scanned, Pressed& press, PressOutcome& outcome,
                        RunObserver& observer) {
    const LabelSettings& settings = settings_.chip.label;
    if (!settings.on) {
        return true;
    }
    const LabelJudgement judged = JudgeLabel(
        scanned, settings,
        [this](const std::string& recorded) {
            const std::lock_guard<std::recursive_mutex> shared(sharedMutex_);
            return passedLabels_.EarlierPass(settings_.log.folder, title_, recorded);
        },
        [&](const std::string& recorded) { return DatabaseLabelPass(recorded, observer); });
    if (!judged.databaseNote.empty()) {
        LogErrorText(judged.databaseNote);
    }
    if (!judged.Accepted()) {
        outcome.labelRefusal = judged.refusal;
        LogErrorText("标签未被接受：" + judged.refusal);
        return false;
    }
    press.label = judged.label;
    LogInfoText("LABEL=" + press.label);
    return true;
}

void Station::RunPress(bool erase, StationEvents& events, Pressed& press) {
    if (!Check(events).Ready() || !RouteChecked(press)) {
        if (press.verdict.caption.empty()) {
            press.verdict = CheckVerdict("FAIL");
        }
        ReachVerdict(erase, events, press);
        return;
    }
    const PressRecipe recipe = RecipeOf(settings_);
    // A two-core chip's parts, from the checked bytes, exist for this press only; they are
    // written first, since a batch names them.
    const CorePartFiles parts(paths_.App_Path, ownTitle_, recipe.cores, lastCheck_.coreParts);
    std::optional<RunPlan> plan;
    if (recipe.oneBatch) {
        // Planned and made before a number is taken, so a tool or placeholder failure uses up
        // none: the batch's write holds the placeholder, the press's copy gets the number.
        plan = PlanRun(paths_, settings_, lastCheck_, erase, limits_.programming, std::nullopt,
                       parts.Files(), "", ownTitle_);
    }
    if ((plan && !BatchReady(*plan, events, press)) || !ReserveSerialNumber(press, events)) {
        ReachVerdict(erase, events, press);
        return;
    }
    events.RunStarting();
    // So is the board's own image, when its number goes in with the image.
    const NumberedImageFile numbered(paths_.App_Path, ownTitle_, lastCheck_.checkedImage,
                                     settings_.chip.serial ? settings_.chip.serial->address : 0,
                                     press.serialNumber);
    if (plan) {
        plan->serialNumber = press.serialNumber;
    } else {
        plan = PlanRun(paths_, settings_, lastCheck_, erase, limits_.programming,
                       press.serialNumber, parts.Files(), numbered.Path(), ownTitle_);
    }
    RunThePlan(*plan, erase, events, press);
}

void Station::RunThePlan(const RunPlan& plan, bool erase, StationEvents& events, Pressed& press) {
    LogInfoText("CRC=" + hexMd5_);
    LogInfoText("Para=" + plan.Para());
    {
        RunDisplay display(events);  // gone before the verdict shows
        press.run = plan.operations.empty()
                        ? RunPlanned(plan, Runner(events), display)
                        : RunBatch(plan, batch_, settings_.Prog_Path, Runner(events), display);
    }
    const RunResult& run = *press.run;
    // A refusal the tool explained for the chip itself stands above the usual message.
    const std::string message =
        (run.cause.empty() ? "" : run.cause + "\r\n") + ErrorText(kProgrammingFailed);
    press.verdict = run.succeeded
                        ? Passed("PASS", run.detail, lastCheck_.probeOutput)
                        : Failed(kProgrammingFailed, run.detail, message, lastCheck_.probeOutput);
    ReachVerdict(erase, events, press);
}

bool Station::RouteChecked(Pressed& press) {
    if (!MesRouteChecks() || !press.mesCheck.empty()) {
        return true;
    }
    const std::string message =
        "ERROR:config.ini的[mes]在扫描条码之后才设置，本次没有做MES进站检查，"
        "不能烧写；请重新扫描条码。";
    press.verdict = Failed(kSerialNumbers, lastCheck_.probeOutput, message, lastCheck_.probeOutput);
    return false;
}

void Station::ReachVerdict(bool erase, StationEvents& events, Pressed& press) {
    if (!press.mesCheck.empty()) {
        press.mesNote = ReportToMes(RowOf(press, erase, false));
        press.reported = true;
    }
    events.VerdictReached(press.verdict);
}

bool Station::BatchReady(const RunPlan& plan, RunObserver& observer, Pressed& press) {
    const BatchFile::Preparation batch =
        batch_.Prepare(plan, settings_.Prog_Path, Runner(observer));
    if (batch.ready) {
        return true;
    }
    if (batch.serialProblem) {  // fail safe: no copy could carry the number
        press.verdict = Failed(kSerialNumbers, lastCheck_.probeOutput,
                               "ERROR:config.ini的[chip]中sessions="
                               "fewest不能与这个nrfutil一起使用：它生成的批处理文件中"
                               "序列号的占位值" +
                                   batch.detail + "不是恰好出现一次，不能烧写。",
                               lastCheck_.probeOutput);
        return false;
    }
    RunResult run;  // no session with the probe: the tool could not make the batch
    run.detail = batch.detail;
    run.lastRun = batch.failedRun;
    press.run = run;
    press.verdict = Failed(kProgrammingFailed, run.detail, ErrorText(kProgrammingFailed),
                           lastCheck_.probeOutput);
    return false;
}

bool Station::ReserveSerialNumber(Pressed& press, RunObserver& observer) {
    if (!settings_.chip.serial) {
        return true;
    }
    const database::SerialBlockAnswer answer = SerialRange(database::kSerialBlockWait, &observer);
    serial_numbers::Reservation reservation;
    {
        const std::lock_guard<std::recursive_mutex> shared(sharedMutex_);
        if (answer.range) {
            reservation = serial_numbers::SerialNumberStore(paths_.App_Path)
                              .Reserve(ownTitle_, *answer.range);
        }
        if (reservation.voided) {
            VoidNumber(*reservation.voided);
        }
    }
    press.serialNumber = reservation.number;
    if (!reservation.number) {  // another copy took the last one since the check
        press.verdict =
            Failed(kSerialNumbers, lastCheck_.probeOutput,
                   UsedUpMessage(*settings_.chip.serial, answer), lastCheck_.probeOutput);
        return false;
    }
    return true;
}

record::ProductionRecord Station::RowOf(const Pressed& press, bool erase, bool raised) const {
    record::ProductionRecord row =
        RecordOfPress(title_, paths_, lastCheck_, erase, press.run, press.verdict.code, raised);
    if (settings_.chip.family) {
        row.family = tool::FactsOf(*settings_.chip.family).name;
    }
    row.serialNumber = press.serialNumber;
    row.boardLabel = press.label;
    row.mesCheck = press.mesCheck;
    row.fixture = FixtureName();
    return row;
}

void Station::FinishPress(const Pressed& press, bool erase, bool raised, PressOutcome& outcome) {
    outcome.verdict = press.verdict;
    outcome.serialNumber = press.serialNumber;
    const std::lock_guard<std::recursive_mutex> shared(sharedMutex_);
    try {
        record::ProductionRecord row = RowOf(press, erase, raised);
        // Reported at the verdict; an error that ended the press before it is reported here.
        const std::string mesNote =
            !press.mesCheck.empty() && !press.reported ? ReportToMes(row) : press.mesNote;
        if (!mesNote.empty()) {
            outcome.notes.push_back(mesNote);
        }
        const std::string verdict = row.pass ? "PASS" : "FAIL";
        std::optional<std::string> earlier;
        if (!row.deviceId.empty()) {
            earlier = passedChips_.EarlierPass(TodaysRecord(), title_, row.deviceId).time;
            row.sameChipAs = earlier.value_or("");
        }
        WriteRecord(row, outcome.notes);
        outcome.row = row;
        IndexRow(row, verdict);
        if (earlier) {
            const std::string note = "注意：这颗芯片（DEVICEID " + row.deviceId + "）今天已于" +
                                     *earlier + "在本工位烧写通过，请确认是否换了板子。";
            outcome.notes.push_back(note);
            LogInfoText(note);
        }
        if (press.serialNumber) {
            LogInfoText("SN=" + std::to_string(*press.serialNumber) + " " + verdict);
            SettleNumber(*press.serialNumber, outcome.notes);
        }
    } catch (const std::exception& error) {
        // Called on the way out of a press: nothing may escape, and nothing goes unsaid.
        const std::string line = FailedStepLine("本次烧写的生产记录未能完成", error);
        outcome.notes.push_back(line);
        LogErrorText(line);
    }
    outcome.nextSerialText = NextSerialText();
    outcome.countsText = dayCounts_.Text();
    outcome.fixtureCountsText = FixtureCountsText();
}

void Station::IndexRow(const record::ProductionRecord& row, const std::string& verdict) {
    if (!row.deviceId.empty()) {
        LogInfoText("DEVICEID=" + row.deviceId + " " + verdict);
        if (row.pass) {
            passedChips_.Add(row.deviceId, record::RecordTime(row.time));
        }
    }
    if (row.pass && !row.boardLabel.empty()) {
        passedLabels_.Add(record::RecordedLabel(row.boardLabel), record::RecordTime(row.time));
    }
}

void Station::SettleNumber(std::uint32_t number, std::vector<std::string>& notes) {
    try {
        serial_numbers::SerialNumberStore(paths_.App_Path).Settle(ownTitle_, number);
    } catch (const std::exception& error) {
        // It stays reserved: the next start voids it with a row of its own, and it is never
        // issued again.
        const std::string line =
            FailedStepLine("序列号" + std::to_string(number) + "未能登记为已用", error);
        notes.push_back(line);
        LogErrorText(line);
    }
}

void Station::VoidNumberCutOff() {
    if (!settings_.chip.serial) {
        return;
    }
    const std::optional<std::uint32_t> cutOff =
        serial_numbers::SerialNumberStore(paths_.App_Path).Unsettled(ownTitle_);
    if (cutOff) {
        VoidNumber(*cutOff);
    }
}

void Station::VoidNumber(std::uint32_t number) {
    const std::lock_guard<std::recursive_mutex> shared(sharedMutex_);
    record::ProductionRecord row;
    row.title = title_;
    row.stationFolder = paths_.App_Path;
    row.imagePath = paths_.Hex_Path;
    row.serialNumber = number;  // FAIL without a code: the run was cut off
    row.fixture = FixtureName();
    std::vector<std::string> notes;
    WriteRecord(row, notes);
    LogErrorText("SN=" + std::to_string(number) + " FAIL（上次运行中断，该序列号作废）");
    serial_numbers::SerialNumberStore(paths_.App_Path).Settle(ownTitle_, number);
}

std::string Station::NextSerialText() {
    if (!settings_.chip.serial) {
        return {};
    }
    const std::lock_guard<std::recursive_mutex> shared(sharedMutex_);
    try {
        // Never waits: without a block at hand, the pool's worker is asked for one.
        const database::SerialBlockAnswer answer =
            SerialRange(std::chrono::milliseconds(0), nullptr);
        const std::optional<std::uint32_t> next =
            answer.range ? serial_numbers::SerialNumberStore(paths_.App_Path).Next(*answer.range)
                         : std::nullopt;
        return "下一序列号：" + (next ? std::to_string(*next)
                                 : settings_.chip.serial->pool.empty()
                                     ? std::string("已用完")
                                     : std::string("等待数据库分配"));
    } catch (const std::exception&) {
        return {};  // the check says what is wrong with the numbers (114)
    }
}

std::string Station::TodaysRecord() const {
    return settings_.log.folder + record::RecordFileName(log4me::Now().local);
}

std::string Station::CountsText() {
    const std::lock_guard<std::recursive_mutex> shared(sharedMutex_);
    dayCounts_.Follow(TodaysRecord(), title_);
    return dayCounts_.Text();
}

void Station::WriteRecord(record::ProductionRecord& row, std::vector<std::string>& notes) {
    dayCounts_.Follow(TodaysRecord(), title_);  // the day's rows before this one
    if (fixture_) {
        fixtureCounts_.Follow(TodaysRecord(), title_);
    }
    const log4me::AppendResult result = record_.Append(settings_.log.folder, row);
    if (database_) {
        database_->Poke();  // the row goes to the factory's database now, not at the next round
    }
    const auto runTime = row.run ? std::optional(row.run->duration) : std::nullopt;
    dayCounts_.Add(row.pass, runTime);
    if (fixture_) {
        fixtureCounts_.Add(row.pass, runTime);
    }
    if (result.placement != log4me::Placement::kWaitingInMemory &&
        result.placement != log4me::Placement::kLost) {
        return;  // in the file, or safely waiting on disk
    }
    // The folder as a line engineer writes it, not the logger's own doubled separator.
    const std::string file =
        settings_.log.shownFolder + os::kPathSeparator + record::RecordFileName(row.time);
    const std::string line = "ERROR:生产记录" + file + "写不进去（" + result.problem + "），" +
                             (result.placement == log4me::Placement::kLost
                                  ? "内存中也已放不下，本次记录丢失。"
                                  : "本次记录暂存在内存中，目录可以写入后会自动补写。");
    notes.push_back(line);
    LogErrorText(line);
}

}  // namespace station
