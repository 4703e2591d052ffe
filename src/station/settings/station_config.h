// What config.ini's [station] section says about this copy of the program, read again at every
// check so that an edit takes effect at the next refresh:
//
//     [station]
//     programmer=nrfutil       ; the programmer tool in bin (nrfjprog when not set)
//     probe=682123456          ; the probe of every copy in this folder
//     probe.Line2=682000777    ; the copy whose application title is Line2 (overrides probe)
//     autostart=yes            ; a new board in the fixture starts the press (no by default)
//     autostart_settle_ms=500  ; how long a new board must stay before its press starts
//     autostart_absent_ms=1500 ; how long a board must be away before the next one counts as new
//
// Several probes on one PC are told apart by their serial numbers: each copy names its own.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "tool/programmer_choice.h"

namespace station {

using tool::Programmer;

struct ProbePin {
    std::string written;                // the value as it stands in config.ini
    std::optional<std::string> serial;  // the value as a serial; none when it is not digits
};

struct StationConfig {
    Programmer programmer = Programmer::kNrfjprog;
    std::optional<ProbePin> pin;  // none when no probe is named
    bool autostart = false;
    std::chrono::milliseconds autostartSettle{500};
    std::chrono::milliseconds autostartAbsent{1500};
    std::string problem;  // a value that cannot be used, named for the operator; "" when none

    // The serial the programmer is told to use, so that it never picks a probe itself: the
    // pinned one; "" when none is pinned (or the pin is not a serial).
    std::string PinnedSerial() const { return pin && pin->serial ? *pin->serial : ""; }
};

// The [station] settings of the copy titled title, read now from the file at configPath. The
// pin is "probe.<title>", else "probe"; an empty value counts as none. A programmer other than
// "nrfutil" (letter case aside) is nrfjprog. A missing file gives the defaults.
// autostart takes yes/no (true/false, 1/0); the settle and absent times 0 to 60000 ms.
StationConfig ReadStationConfig(const std::string& configPath, const std::string& title);

}  // namespace station
