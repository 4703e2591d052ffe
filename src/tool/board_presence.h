// Whether a board is in the probe's fixture, asked with the cheapest call each programmer offers:
// one connection to the probe, nothing written to the chip. The station asks it again and again
// while it waits for the next board, so it names its own probe: two copies at one PC never ask
// each other's probe.
#pragma once

#include <string>

#include "tool/programmer_choice.h"

namespace tool {

enum class Presence {
    kBoard,      // a chip answers
    kProtected,  // a chip is there but protected: a board all the same
    kNoBoard,    // the probe answers but no chip does (no board, or not powered)
    kNoProbe,    // the probe itself is gone (unplugged), or the tool could not run
};

// nrfjprog: progPath + " --deviceversion" (with " --snr <serial>" after the tool when one is
// named); nrfutil: progPath + " --json device device-info --serial-number <serial>".
std::string PresenceCommand(Programmer programmer, const std::string& progPath,
                            const std::string& serial);

// What the answer to PresenceCommand says. exitCode is the run's (-1 when it did not start).
// nrfjprog's exit codes are documented (0 a chip, 16 protected, 40 and 41 no probe); for nrfutil
// only the protected text is known, so any other failure is no board unless the tool says the
// probe is not there.
Presence ReadPresence(Programmer programmer, const std::string& output, int exitCode);

}  // namespace tool
