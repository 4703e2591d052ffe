#include "tool/board_presence.h"

#include "platform/paths.h"
#include "tool/chip_refusal.h"
#include "tool/nrfutil_output.h"

namespace tool {

namespace {

bool Holds(const std::string& output, const char* text) {
    return output.find(text) != std::string::npos;
}

}  // namespace

std::string PresenceCommand(Programmer programmer, const std::string& progPath,
                            const std::string& serial) {
    const std::string tool = os::QuoteArgument(progPath);
    if (programmer == Programmer::kNrfutil) {
        return tool + " --json device device-info --serial-number " + serial;
    }
    return (serial.empty() ? tool : tool + " --snr " + serial) + " --deviceversion";
}

Presence ReadPresence(Programmer programmer, const std::string& output, int exitCode) {
    if (exitCode < 0) {
        return Presence::kNoProbe;  // the tool did not run: nothing to wait on
    }
    if (programmer == Programmer::kNrfjprog) {
        if (exitCode == 0) {
            return Holds(output, "ERROR:") ? Presence::kNoBoard : Presence::kBoard;
        }
        if (exitCode == 40 || exitCode == 41) {
            return Presence::kNoProbe;
        }
    } else if (NrfutilStepPassed(output, exitCode)) {
        return Presence::kBoard;
    } else if (Holds(output, "No devices with requested serial number")) {
        return Presence::kNoProbe;
    }
    // A chip that answers only that it is protected is a board all the same.
    return RefusalOf(programmer, output, exitCode) == ChipRefusal::kProtected ? Presence::kProtected
                                                                              : Presence::kNoBoard;
}

}  // namespace tool
