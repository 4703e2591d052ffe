#include "station/run/press_batch.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "station/run/station_log.h"
#include "station/run/verdict.h"
#include "tool/nrfutil_batch.h"
#include "tool/nrfutil_output.h"
#include "tool/programmer.h"
#include "tool/run_failure.h"

namespace station {

namespace {

using Clock = std::chrono::steady_clock;

// A call that makes the batch touches no chip: it ends quickly or not at all.
constexpr std::chrono::seconds kGenerationLimit{30};

std::string StampText(const std::string& path) {
    const std::optional<os::FileStamp> stamp = os::StampOf(path);
    return stamp ? std::to_string(stamp->size) + "/" + std::to_string(stamp->identity) + "/" +
                       std::to_string(stamp->changed)
                 : std::string("-");
}

// What the batch file is made of: the operations' commands and the tool as it is on disk.
std::string KeyOf(const RunPlan& plan, const std::string& toolPath) {
    std::string key = toolPath + "\n" + StampText(toolPath) + "\n";
    for (const RunStep& operation : plan.operations) {
        key += operation.command + "\n";
    }
    return key;
}

// The operations' names in a failure line: "第3个操作（写序列号）".
std::string OperationName(std::size_t index, const RunStep& operation) {
    return "第" + std::to_string(index + 1) + "个操作（" + StepName(operation.kind) + "）";
}

bool Standalone(std::string_view text, std::size_t at, std::size_t length) {
    const auto alnum = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
    return (at == 0 || !alnum(text[at - 1])) &&
           (at + length >= text.size() || !alnum(text[at + length]));
}

// Where word stands alone in text, each occurrence.
std::vector<std::size_t> StandaloneAt(std::string_view text, const std::string& word) {
    std::vector<std::size_t> found;
    for (std::size_t at = text.find(word); at != std::string_view::npos;
         at = text.find(word, at + 1)) {
        if (Standalone(text, at, word.size())) {
            found.push_back(at);
        }
    }
    return found;
}

// Whether the batch writes the board's number (with the placeholder).
bool WritesNumber(const RunPlan& plan) {
    return std::any_of(plan.operations.begin(), plan.operations.end(),
                       [](const RunStep& step) { return step.kind == StepKind::kWriteSerial; });
}

// The per-press copy of the batch file, with the press's number; gone on every way out.
class PressCopy {
public:
    explicit PressCopy(const RunPlan& plan) : path_(plan.batchCopy) {
        std::string text = os::ReadWholeFile(plan.batchFile, os::Share::kRead);
        if (WritesNumber(plan)) {
            if (!plan.serialNumber) {
                throw std::logic_error("批处理文件要写序列号，本次烧写却没有序列号");
            }
            const std::optional<PlaceholderAt> found =
                PlaceholderSpelling(text, plan.serialPlaceholder);
            if (!found) {
                throw std::runtime_error(plan.batchFile + "中序列号的占位值不是恰好出现一次");
            }
            text.replace(found->at, found->spelling.size(),
                         SpelledLike(found->spelling, *plan.serialNumber));
        }
        os::ReplaceFileContent(path_, text);
    }
    ~PressCopy() { os::RemoveFile(path_); }
    PressCopy(const PressCopy&) = delete;
    PressCopy& operator=(const PressCopy&) = delete;

private:
    std::string path_;
};

tool::CommandResult RunCopy(const RunPlan& plan, const ToolRunner& runner, RunDisplay& display,
                            Clock::time_point deadline) {
    const PressCopy copy(plan);
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return runner.RunStep(StepName(StepKind::kBatch), plan.steps.front().command,
                          std::max(left, std::chrono::milliseconds(1)), &display);
}

// The operation that failed, first; every operation up to it judged as a step of its own.
std::optional<std::size_t> FailedOperation(const RunPlan& plan, const tool::BatchOutput& batch,
                                           RunResult& result) {
    for (std::size_t i = 0; i < plan.operations.size(); ++i) {
        if (i >= batch.operations.size() || !tool::NrfutilStepPassed(batch.operations[i], 0) ||
            !StepReadWhatItShould(plan, plan.operations[i], batch.operations[i], result)) {
            return i;
        }
    }
    return std::nullopt;
}

// Judges the batch's run: every operation, then the batch's end and the call's.
void Judge(const RunPlan& plan, RunResult& result) {
    const tool::CommandResult& run = result.lastRun;
    const tool::BatchOutput batch = tool::ReadBatchOutput(run.output);
    result.detail = plan.steps.front().command + "\n";
    for (std::size_t i = 0; i < batch.operations.size(); ++i) {
        const std::string name = i < plan.operations.size()
                                     ? OperationName(i, plan.operations[i])
                                     : "第" + std::to_string(i + 1) + "个操作";
        result.detail += tool::NrfutilStepAccount(name, batch.operations[i], 0) + "\n";
    }
    result.detail += batch.text;
    const std::optional<std::size_t> failed = FailedOperation(plan, batch, result);
    if (failed) {
        const std::string line = "ERROR:批处理的" +
                                 OperationName(*failed, plan.operations[*failed]) +
                                 (*failed < batch.operations.size() ? "失败。" : "没有报告结束。");
        LogErrorText(line);
        tool::CommandResult operation = run;
        operation.output = *failed < batch.operations.size() ? batch.operations[*failed] : "";
        const std::string refusal = run.timedOut ? "" : RefusalCause(plan, operation);
        result.cause = refusal.empty() ? line : refusal + "\r\n" + line;
    }
    const bool ended = batch.endCode == 0 && run.exitCode == 0 && !run.timedOut;
    result.succeeded = !failed && batch.operations.size() == plan.operations.size() && ended;
    const std::string failure = tool::RunFailureLine(run);
    if (!failure.empty()) {
        result.detail = WithLastLine(result.detail, failure);
    } else if (!ended && !failed) {
        result.detail = WithLastLine(result.detail, tool::RunEndText(run));
    }
}

}  // namespace

std::optional<PlaceholderAt> PlaceholderSpelling(std::string_view text, std::uint32_t placeholder) {
    char upper[16];
    char lower[16];
    std::snprintf(upper, sizeof upper, "0x%08X", static_cast<unsigned>(placeholder));
    std::snprintf(lower, sizeof lower, "0x%08x", static_cast<unsigned>(placeholder));
    std::vector<std::string> spellings = {std::to_string(placeholder), upper};
    if (std::string(lower) != upper) {
        spellings.push_back(lower);
    }
    std::optional<PlaceholderAt> found;
    std::size_t total = 0;
    for (const std::string& spelling : spellings) {
        const std::vector<std::size_t> at = StandaloneAt(text, spelling);
        total += at.size();
        if (!at.empty()) {
            found = PlaceholderAt{spelling, at.front()};
        }
    }
    return total == 1 ? found : std::nullopt;
}

std::string SpelledLike(const std::string& spelling, std::uint32_t number) {
    if (spelling.rfind("0x", 0) != 0) {
        return std::to_string(number);
    }
    const bool lower = spelling.find_first_of("abcdef") != std::string::npos;
    char text[16];
    std::snprintf(text, sizeof text, lower ? "0x%08x" : "0x%08X", static_cast<unsigned>(number));
    return text;
}

BatchFile::Preparation BatchFile::Prepare(const RunPlan& plan, const std::string& toolPath,
                                          const ToolRunner& runner, bool force) {
    const std::string key = KeyOf(plan, toolPath);
    if (force || key != key_ || !os::FileExists(plan.batchFile)) {
        key_.clear();
        os::RemoveFile(plan.batchFile);
        for (std::size_t i = 0; i < plan.operations.size(); ++i) {
            const RunStep& operation = plan.operations[i];
            LogInfoText("批处理" + OperationName(i, operation) + "：" + operation.command);
            const tool::CommandResult run =
                runner.RunStep("生成批处理", operation.command, kGenerationLimit);
            if (run.timedOut || run.exitCode != 0) {
                os::RemoveFile(plan.batchFile);
                return {false,
                        WithLastLine(operation.command + "\n" + run.output, tool::RunEndText(run)),
                        false, run};
            }
        }
        key_ = key;
    }
    if (WritesNumber(plan) &&
        !PlaceholderSpelling(os::ReadWholeFile(plan.batchFile, os::Share::kRead),
                             plan.serialPlaceholder)) {
        key_.clear();
        return {false, tool::HexWord(plan.serialPlaceholder), true, {}};
    }
    return {true, {}, false, {}};
}

RunResult RunBatch(const RunPlan& plan, BatchFile& batch, const std::string& toolPath,
                   const ToolRunner& runner, RunDisplay& display) {
    const Clock::time_point start = Clock::now();
    RunResult result;
    display.ShowInstead(plan.steps.front().command + "\n");
    result.lastRun = RunCopy(plan, runner, display, start + plan.limit);
    ++result.calls;
    if (tool::BatchRefusedForVersion(result.lastRun.output, result.lastRun.exitCode)) {
        LogErrorText("nrfutil拒绝了批处理文件（版本不同），重新生成一次：" + result.lastRun.output);
        const BatchFile::Preparation again = batch.Prepare(plan, toolPath, runner, true);
        if (again.ready) {
            result.lastRun = RunCopy(plan, runner, display, start + plan.limit);
            ++result.calls;
        }
    }
    if (tool::BatchRefusedForVersion(result.lastRun.output, result.lastRun.exitCode)) {
        result.detail = plan.steps.front().command + "\n" + result.lastRun.output;
        result.cause =
            "ERROR:nrfutil不接受批处理文件（它的版本与生成文件的不同），重新生成后仍不接受。";
        LogErrorText(result.cause);
    } else {
        Judge(plan, result);
    }
    result.duration = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    return result;
}

}  // namespace station
