// What the stand-in programmer does for each command: a simulated probe and device that honour
// the station's contract ("Verify OK" after a good verified programming run, an "ERROR:" line for
// every failure) and the rehearsal faults of its settings.
#pragma once

#include <string>

#include "standin_arguments.h"
#include "standin_settings.h"

namespace sim {

// The program's exit codes.
enum ExitCode : int {
    kExitOk = 0,
    kExitBadArguments = 1,
    kExitNoProbe = 2,
    kExitBadImage = 3,
    kExitFlashRefused = 4,  // not erased where the image writes
    kExitVerifyFailed = 5,
    kExitFlashFile = 6,  // the simulated flash file cannot be read or written
    kExitInternal = 7,
};

// Runs one request against the flash kept in flashPath; returns the exit code. Does not wait or
// hang: the caller applies delay_ms and hang after it.
int RunRequest(const Request& request, const Settings& settings, const std::string& flashPath);

// The option list printed by -h.
const char* HelpText();

}  // namespace sim
