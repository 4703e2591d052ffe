// The nrfjprog stand-in: answers the station's three command lines the way the chip maker's
// programmer does, against simulated probes and flash, with rehearsal faults on request.
#include <exception>
#include <string>
#include <vector>

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

int Run(const std::vector<std::string>& arguments) {
    const sim::Call call = sim::BeginCall(arguments);
    const sim::ParsedArguments parsed = sim::ParseArguments(arguments);
    if (!parsed.error.empty()) {
        sim::PrintError(parsed.error);
        return sim::kExitBadArguments;
    }
    const int exitCode = sim::RunRequest(parsed.request, call.settings, call.folder);
    sim::EndCall(call.settings, KindOf(parsed.request.command));
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(sim::ArgumentsOf(argc, argv));
    } catch (const std::exception& e) {
        sim::PrintError(e.what());
        return sim::kExitInternal;
    }
}
