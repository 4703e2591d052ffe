// The nrfutil stand-in: answers the station's nrfutil device commands the way the chip maker's
// nrfutil does, against simulated probes and chips, with rehearsal faults on request.
#include <exception>
#include <string>
#include <vector>

#include "nrfutil_arguments.h"
#include "nrfutil_commands.h"
#include "standin_call.h"
#include "standin_output.h"

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

int Run(const std::vector<std::string>& arguments) {
    const sim::Call call = sim::BeginCall(arguments);
    const sim::nrfutil::ParsedArguments parsed = sim::nrfutil::ParseArguments(arguments);
    if (!parsed.error.empty()) {
        sim::PrintRawErrorLine("Error: " + parsed.error);
        return sim::nrfutil::kExitBadArguments;
    }
    const int exitCode = sim::nrfutil::RunRequest(parsed.request, call.settings, call.folder);
    sim::EndCall(call.settings, KindOf(parsed.request.command));
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(sim::ArgumentsOf(argc, argv));
    } catch (const std::exception& e) {
        sim::PrintRawErrorLine(std::string("Error: ") + e.what());
        return sim::nrfutil::kExitFailed;
    }
}
