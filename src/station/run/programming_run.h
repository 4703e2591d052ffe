// The programming run: the plan's steps, in order, within the plan's limit.
#pragma once

#include <chrono>
#include <string>

#include "station/run/run_display.h"
#include "station/run/run_plan.h"
#include "station/run/tool_run.h"
#include "tool/run_command.h"

namespace station {

struct RunResult {
    // What the verdict shows: the tool's output, every step's after the other (nrfutil: an
    // account of each step, never JSON).
    std::string detail;
    bool succeeded = false;       // every step succeeded, the verify was confirmed
    tool::CommandResult lastRun;  // the last step run, for the record
    std::chrono::milliseconds duration{0};
    std::string deviceId;  // the chip's DEVICEID, when a step read it
    // The serial number was written and read back; with the number in the image, its program
    // step's verify passed (the read-back is then the value written).
    bool serialWritten = false;
    // Why the chip was refused, for the operator, when the tool said so (a chip of another
    // family, a protected chip): the line above the failure message; "" otherwise.
    std::string cause;
    int calls = 0;  // the programmer calls the run made: each one a session with the probe
};

// Runs the plan's steps, each only after the one before succeeded, all of them ended within the
// plan's limit. A step succeeded when (nrfjprog) its output holds no "ERROR:" and, for the
// programming, confirms the verify, or for the other steps it exited with 0; (nrfutil) when it
// reported success. A read must show the words asked for; a read-back must show the number. A
// step the tool refused for the chip's family or protection gives the cause its line.
RunResult RunPlanned(const RunPlan& plan, const ToolRunner& runner, RunDisplay& display);

// Judges a step (or a batch's operation) that reported itself done by what it read (output): a
// DEVICEID read must show both words, a read-back the number; keeps what the record needs.
bool StepReadWhatItShould(const RunPlan& plan, const RunStep& step, const std::string& output,
                          RunResult& result);
// The operator's line for a run the tool refused for the chip itself (another family, a
// protected chip); "" for any other failure.
std::string RefusalCause(const RunPlan& plan, const tool::CommandResult& run);
// The step's name in its log line ("烧写").
std::string StepName(StepKind kind);
// The chip's DEVICEID as the record holds it, from the output of a read of it at address; ""
// when the output does not show it (a protected chip cannot be read).
std::string DeviceIdIn(const std::string& output, std::uint32_t address);

}  // namespace station
