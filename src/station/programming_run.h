// The programming run: the plan's commands, in order, within the plan's limit.
#pragma once

#include <chrono>
#include <string>

#include "run_command.h"
#include "run_display.h"
#include "run_plan.h"
#include "tool_run.h"

struct RunResult {
    // What the verdict shows: the tool's output (nrfutil: an account of each step, never JSON).
    std::string detail;
    bool succeeded = false;       // every command succeeded and the verify was confirmed
    tool::CommandResult lastRun;  // the last command run, for the record
    std::chrono::milliseconds duration{0};
};

// Runs the plan, each command only after the one before succeeded, the whole run ended within
// its limit. nrfjprog's run succeeded when its output confirms the verify and holds no
// "ERROR:"; each of nrfutil's steps when it reports success.
RunResult RunPlanned(const RunPlan& plan, const ToolRunner& runner, RunDisplay& display);
