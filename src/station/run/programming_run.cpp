#include "station/run/programming_run.h"

#include <algorithm>

#include "record/production_record.h"
#include "station/run/operator_texts.h"
#include "station/run/verdict.h"
#include "tool/chip_refusal.h"
#include "tool/memory_words.h"
#include "tool/nrfutil_output.h"
#include "tool/programmer.h"
#include "tool/run_failure.h"

namespace station {

namespace {

using Clock = std::chrono::steady_clock;

// Whether the programmer reported the step done, before what it read is looked at.
bool StepReportedDone(const RunPlan& plan, const RunStep& step, const tool::CommandResult& run) {
    if (run.timedOut) {
        return false;
    }
    if (plan.programmer == Programmer::kNrfutil) {
        return tool::NrfutilStepPassed(run.output, run.exitCode);
    }
    if (step.kind == StepKind::kModem) {
        return tool::ModemProgrammingSucceeded(run.output, run.exitCode);
    }
    return step.kind == StepKind::kProgram ? tool::ProgrammingSucceeded(run.output)
                                           : tool::StepSucceeded(run.output, run.exitCode);
}

// What the operator reads of a step: nrfjprog's output as it came (its exit code when it printed
// nothing); nrfutil's account of it. A run that never started or ended abnormally says so last.
std::string StepText(const RunPlan& plan, const RunStep& step, const tool::CommandResult& run) {
    const std::string failure = tool::RunFailureLine(run);
    std::string text = run.output;
    if (plan.programmer == Programmer::kNrfutil) {
        text = tool::NrfutilStepAccount(step.command, run.output, run.exitCode) + "\n";
    } else if (text.empty() && failure.empty()) {
        text = WithLastLine(text, tool::RunEndText(run));
    }
    return failure.empty() ? text : WithLastLine(text, failure);
}

}  // namespace

std::string RefusalCause(const RunPlan& plan, const tool::CommandResult& run) {
    if (run.timedOut) {
        return {};
    }
    switch (tool::RefusalOf(plan.programmer, run.output, run.exitCode)) {
        case tool::ChipRefusal::kOtherFamily:
            return OtherFamilyLine(plan.family);
        case tool::ChipRefusal::kProtected:
            return ProtectedChipLine(plan.erase, plan.recover);
        case tool::ChipRefusal::kNone:
            break;
    }
    return {};
}

std::string DeviceIdIn(const std::string& output, std::uint32_t address) {
    const auto words = tool::ReadMemoryWords(output, address, tool::kDeviceIdWords);
    const std::optional<std::uint64_t> id = words ? tool::DeviceId(*words) : std::nullopt;
    return id ? record::DeviceIdText(*id) : "";
}

bool StepReadWhatItShould(const RunPlan& plan, const RunStep& step, const std::string& output,
                          RunResult& result) {
    if (step.kind == StepKind::kReadDeviceId) {
        result.deviceId = DeviceIdIn(output, plan.deviceIdAddress);
        return !result.deviceId.empty();
    }
    if (step.kind == StepKind::kProgram && plan.numberInImage) {
        result.serialWritten = true;  // the verify that passed covered the number's word
        return true;
    }
    if (step.kind == StepKind::kReadSerial) {
        result.serialWritten =
            tool::WordConfirmed(output, plan.serialAddress, plan.serialNumber.value_or(0));
        return result.serialWritten;
    }
    return true;
}

std::string StepName(StepKind kind) {
    switch (kind) {
        case StepKind::kRecover:
            return "解锁";
        case StepKind::kProgram:
            return "烧写";
        case StepKind::kModem:
            return "烧写调制解调器固件";
        case StepKind::kReadDeviceId:
            return "读DEVICEID";
        case StepKind::kWriteSerial:
            return "写序列号";
        case StepKind::kReadSerial:
            return "读回序列号";
        case StepKind::kProtect:
            return "读保护";
        case StepKind::kReset:
            return "复位";
        case StepKind::kBatch:
            return "批处理";
    }
    return "烧写";
}

RunResult RunPlanned(const RunPlan& plan, const ToolRunner& runner, RunDisplay& display) {
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = start + plan.limit;
    const bool accounts = plan.programmer == Programmer::kNrfutil;  // JSON is not for the eye
    RunResult result;
    result.succeeded = true;
    for (const RunStep& step : plan.steps) {
        if (accounts) {
            display.ShowInstead(result.detail + step.command + "\n");
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        result.lastRun = runner.RunStep(StepName(step.kind), step.command,
                                        std::max(left, std::chrono::milliseconds(1)), &display);
        ++result.calls;
        result.detail += StepText(plan, step, result.lastRun);
        if (!StepReportedDone(plan, step, result.lastRun) ||
            !StepReadWhatItShould(plan, step, result.lastRun.output, result)) {
            result.succeeded = false;
            result.cause = RefusalCause(plan, result.lastRun);
            break;
        }
    }
    result.duration = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    return result;
}

}  // namespace station
