// The nrfjprog stand-in: answers the station's three command lines the way the chip maker's
// programmer does, against simulated probes and flash, with rehearsal faults on request.
#include "standin_arguments.h"
#include "standin_call.h"
#include "standin_commands.h"
#include "standin_output.h"

namespace {

sim::RunKind KindOf(sim::Command command) {
    switch (command) {
        case sim::Command::kProbeQuery:
            return sim::RunKind::kProbeQuery;
        case sim::Command::kProgram:
            return sim::RunKind::kProgramming;
        default:
            return sim::RunKind::kOther;
    }
}

// Every command on the device connects to the chip; the queries and the stand-in's own do not.
bool OnTheChip(sim::Command command) {
    switch (command) {
        case sim::Command::kProbeQuery:
        case sim::Command::kHelp:
        case sim::Command::kVersion:
        case sim::Command::kBoardChange:
        case sim::Command::kBoardOut:
            return false;
        default:
            return true;
    }
}

sim::Outcome Run(const sim::Call& call) {
    const sim::ParsedArguments parsed = sim::ParseArguments(call.arguments);
    if (!parsed.error.empty()) {
        sim::PrintError(parsed.error);
        return {sim::kExitBadArguments, sim::RunKind::kRefused};
    }
    sim::CrashIfAsked(call.settings, KindOf(parsed.request.command));
    return {sim::RunRequest(parsed.request, call.settings, call.folder),
            KindOf(parsed.request.command), OnTheChip(parsed.request.command)};
}

}  // namespace

int main(int argc, char** argv) {
    return sim::RunStandIn(argc, argv, Run, sim::PrintError, sim::kExitInternal);
}
