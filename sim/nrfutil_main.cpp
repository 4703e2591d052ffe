// The nrfutil stand-in: answers the station's nrfutil device commands the way the chip maker's
// nrfutil does, against simulated probes and chips, with rehearsal faults on request.
#include "nrfutil_arguments.h"
#include "nrfutil_commands.h"
#include "nrfutil_tasks.h"
#include "standin_call.h"

namespace {

sim::RunKind KindOf(sim::nrfutil::Command command) {
    switch (command) {
        case sim::nrfutil::Command::kList:
            return sim::RunKind::kProbeQuery;
        case sim::nrfutil::Command::kProgram:
            return sim::RunKind::kProgramming;
        default:
            return sim::RunKind::kOther;
    }
}

sim::Outcome Run(const sim::Call& call) {
    const sim::nrfutil::ParsedArguments parsed = sim::nrfutil::ParseArguments(call.arguments);
    if (!parsed.error.empty()) {
        sim::nrfutil::PrintErrorLine(parsed.error);
        return {sim::nrfutil::kExitBadArguments, sim::RunKind::kRefused};
    }
    return {sim::nrfutil::RunRequest(parsed.request, call.settings, call.folder),
            KindOf(parsed.request.command)};
}

}  // namespace

int main(int argc, char** argv) {
    return sim::RunStandIn(argc, argv, Run, sim::nrfutil::PrintErrorLine,
                           sim::nrfutil::kExitFailed);
}
