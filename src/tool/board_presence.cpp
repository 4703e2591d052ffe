#include "tool/board_presence.h"

#include "platform/paths.h"
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
        switch (exitCode) {
            case 0:
                return Holds(output, "ERROR:") ? Presence::kNoBoard : Presence::kBoard;
            case 16:
                return Presence::kProtected;
            case 40:
            case 41:
                return Presence::kNoProbe;
            default:
                return Presence::kNoBoard;
        }
    }
    if (NrfutilStepPassed(output, exitCode)) {
        return Presence::kBoard;
    }
    if (Holds(output, "No devices with requested serial number")) {
        return Presence::kNoProbe;
    }
    // Error code 24: not available because of protection.
    if (Holds(output, "\"code\":24") || Holds(output, "readback protection")) {
        return Presence::kProtected;
    }
    return Presence::kNoBoard;
}

}  // namespace tool
