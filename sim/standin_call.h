// What every run of a stand-in does around its command: the call recorded in "calls.log" beside
// the program, the rehearsal settings read from "standin.ini" beside it, and the delay and hang
// faults once the command is done.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "standin_settings.h"

namespace sim {

// The kinds of run that the delay and hang settings tell apart.
enum class RunKind {
    kProbeQuery,
    kProgramming,
    kOther,
    kRefused,  // a command line not understood: it ends at once, without delay or hang
};

struct Call {
    std::vector<std::string> arguments;  // UTF-8
    std::string folder;                  // the program's folder, ending in the separator
    Settings settings;
};

struct Outcome {
    int exitCode;
    RunKind kind;
    bool onTheChip = false;  // the run connected to the chip through the probe
};

// A stand-in's whole run: converts the arguments from the system's ANSI code page to UTF-8,
// records the call, reads the settings (a log that cannot be written, a settings file that
// cannot be read and every problem in the settings are printed as warnings), hands the call to
// command, then waits the settings' delay and the call's cost (call_ms, and connect_ms for a
// run on the chip) and hangs if their hang applies to the outcome's kind.
// Returns the outcome's exit code; an exception that escapes is printed by printError and gives
// internalExitCode.
int RunStandIn(int argc, char** argv, const std::function<Outcome(const Call&)>& command,
               void (*printError)(std::string_view), int internalExitCode);

// The end of a stand-in's option list: the files beside it and the rehearsal settings.
const char* StandInFilesHelp();

// Whether a hang or crash setting applies to a run of kind (never to a refused command line).
bool AppliesTo(HangIn runs, RunKind kind);

// Ends the stand-in at once, as a crash would (os::EndAsCrashed), when the settings' crash
// applies to a run of kind; called once the command line is understood, before anything is
// printed.
void CrashIfAsked(const Settings& settings, RunKind kind);

// Waits without end: what a stuck run or a prompt nobody sees does.
[[noreturn]] void HangForever();

}  // namespace sim
