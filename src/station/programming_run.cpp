#include "programming_run.h"

#include <algorithm>

#include "nrfutil_output.h"
#include "programmer.h"

namespace {

using Clock = std::chrono::steady_clock;

RunResult RunNrfjprog(const RunPlan& plan, const ToolRunner& runner, RunDisplay& display) {
    RunResult result;
    result.lastRun = runner.Run(plan.commands.front(), plan.limit, &display);
    result.detail = result.lastRun.output;
    result.succeeded = !result.lastRun.timedOut && tool::ProgrammingSucceeded(result.detail);
    return result;
}

// nrfutil prints JSON lines: the operator reads an account of each step instead.
RunResult RunNrfutil(const RunPlan& plan, const ToolRunner& runner, RunDisplay& display) {
    RunResult result;
    const Clock::time_point deadline = Clock::now() + plan.limit;
    result.succeeded = true;
    for (const std::string& command : plan.commands) {
        display.ShowInstead(result.detail + command + "\n");
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        result.lastRun =
            runner.Run(command, std::max(left, std::chrono::milliseconds(1)), &display);
        const tool::CommandResult& run = result.lastRun;
        result.detail += tool::NrfutilStepAccount(command, run.output, run.exitCode) + "\n";
        if (run.timedOut || !tool::NrfutilStepPassed(run.output, run.exitCode)) {
            result.succeeded = false;
            break;
        }
    }
    return result;
}

}  // namespace

RunResult RunPlanned(const RunPlan& plan, const ToolRunner& runner, RunDisplay& display) {
    const Clock::time_point start = Clock::now();
    RunResult result = plan.programmer == Programmer::kNrfutil ? RunNrfutil(plan, runner, display)
                                                               : RunNrfjprog(plan, runner, display);
    result.duration = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    return result;
}
