// What the nrfutil stand-in does for each command, against the same simulated probes, chips
// (simulated_chip.h) and rehearsal faults as the nrfjprog stand-in. After protection-set All,
// read, write and program fail with the protection error (code 24) unless program erases the
// whole chip (ERASE_ALL or ERASE_CTRL_AP), which removes the protection; so does recover. A read
// prints what it read (see Task::SucceedWithMemory); a write puts one 32-bit word into the flash
// or UICR, and fails where that word is not erased.
//
// A failed task ends with "result":"fail" and exit code 1; a serial number that names no
// connected probe prints "Error: No devices with requested serial number(s) or trait(s)
// found." and exits with 1. With marker=omit a good program run never prints its task_end: how
// a run that does not report its end is rehearsed.
#pragma once

#include <string>

#include "nrfutil_arguments.h"
#include "standin_settings.h"

namespace sim::nrfutil {

enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1,        // a task failed, or no probe has the serial number
    kExitBadArguments = 2,  // the command line is not understood
};

// Runs one request against the probes whose flash files are in folder; returns the exit code.
// Does not wait or hang: the caller applies delay_ms and hang after it.
int RunRequest(const Request& request, const Settings& settings, const std::string& folder);

}  // namespace sim::nrfutil
