// The check's probe query, and the binding of the station to its probe.
#include <algorithm>
#include <optional>
#include <vector>

#include "platform/text.h"
#include "station/check/check_steps.h"
#include "station/check/error_codes.h"
#include "tool/board_presence.h"
#include "tool/nrfutil_output.h"
#include "tool/nrfutil_programmer.h"
#include "tool/run_failure.h"
#include "tool/serials.h"

namespace station {

namespace {

// Runs the probe query and keeps what the operator sees of it: nrfjprog's output as it came;
// the serials nrfutil listed, one per line as nrfjprog prints them (its output as it came when
// it holds no device list). Returns the listed serials; nothing when no probe answered.
std::optional<std::vector<std::string>> QueryProbes(const CheckInputs& in, CheckResult& result) {
    const bool nrfutil = in.settings.station.programmer == Programmer::kNrfutil;
    const std::string& progPath = in.settings.Prog_Path;
    const tool::CommandResult query =
        in.runStep("查询Jlink",
                   nrfutil ? tool::NrfutilListCommand(progPath) : tool::ProbeQueryCommand(progPath),
                   in.probeQueryLimit);
    result.probeQueried = true;
    result.probeOutput = query.output;
    result.probeRunFailure = tool::RunFailureLine(query);
    // A query ended at its limit is no answer from a probe, whatever it printed before.
    if (query.timedOut) {
        return std::nullopt;
    }
    std::vector<std::string> serials;
    if (nrfutil) {
        const tool::JLinkListing listing = tool::ReadJLinkSerials(query.output);
        if (listing.hasDeviceList) {
            result.probeOutput.clear();
            for (const std::string& serial : listing.serials) {
                result.probeOutput += serial + os::kLineBreak;
            }
        }
        serials = listing.serials;  // only a J-Link probe can program the chip
    } else {
        // Only a serial line is a probe: a text without one (a missing J-Link library, a
        // damaged tool, the interpreter's "not recognized") is no answer, whatever it says.
        serials = tool::ListedSerials(query.output);
    }
    return serials.empty() ? std::nullopt : std::optional(std::move(serials));
}

// A fixture's own probe, asked alone: there (with a board or without), or 111.
bool BindOwnProbe(const CheckInputs& in, CheckResult& result) {
    const std::optional<ProbePin>& pin = in.settings.station.pin;
    const Programmer programmer = in.settings.station.programmer;
    const std::string serial = pin && pin->serial ? *pin->serial : "";
    const tool::CommandResult look =
        in.runStep("查询Jlink", tool::PresenceCommand(programmer, in.settings.Prog_Path, serial),
                   in.probeQueryLimit);
    result.probeQueried = true;
    result.probeOutput = serial + os::kLineBreak;
    result.probeRunFailure = tool::RunFailureLine(look);
    if (serial.empty() || look.timedOut ||
        tool::ReadPresence(programmer, look.output, look.exitCode) == tool::Presence::kNoProbe) {
        result.code = kProbeNotFound;
        return false;
    }
    result.probeSerial = serial;
    result.probePinned = true;
    return true;
}

}  // namespace

// The station uses the probe config.ini pins, which must be listed; without a pin, the only one
// listed. Several listed and none pinned would leave the choice to the tool, which asks.
bool QueryAndBindProbe(const CheckInputs& in, CheckResult& result) {
    if (in.ownProbeOnly) {
        return BindOwnProbe(in, result);
    }
    const std::optional<std::vector<std::string>> listed = QueryProbes(in, result);
    if (!listed) {
        result.code = kNoProbeAnswer;
        return false;
    }
    const std::optional<ProbePin>& pin = in.settings.station.pin;
    if (pin) {
        if (!pin->serial ||
            std::find(listed->begin(), listed->end(), *pin->serial) == listed->end()) {
            result.code = kProbeNotFound;
            return false;
        }
        result.probeSerial = *pin->serial;
        result.probePinned = true;
    } else if (listed->size() > 1) {
        result.code = kSeveralProbes;
        return false;
    } else {
        result.probeSerial = listed->front();
    }
    return true;
}

}  // namespace station
