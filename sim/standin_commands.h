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
    kExitBadAddress = 8,      // a read or write outside the device's memories
    kExitProtected = 16,      // the chip is protected; the real tool's code for it
    kExitWrongFamily = 18,    // -f names another family than the chip's; the real tool's code
    kExitNoDevice = 33,       // no chip answers (no board in the fixture); the real tool's code
    kExitProbeNotFound = 40,  // --snr names no connected probe; the real tool's code for it
    kExitNoDebuggers = 41,    // --deviceversion without a probe; the real tool's code for it
    kExitOutsideAreas = 52,   // a hex with data outside the core's areas; the real tool's code
    kExitNotErased = 58,      // --memwr over a word that is not erased; the real tool's code
};

// Runs one request against the simulated probes whose flash files are in folder; returns the
// exit code. With several probes and none named by --snr, a command on the device waits without
// end, as the real tool waits on its probe selection window. Otherwise it does not wait or hang:
// the caller applies delay_ms and hang after it. A command that names another family than the
// chips' (-f) fails before it touches the chip, as the real tool does.
int RunRequest(const Request& request, const Settings& settings, const std::string& folder);

// The option list printed by -h.
std::string HelpText();

}  // namespace sim
