// The nrfutil stand-in: answers the station's nrfutil device commands the way the chip maker's
// nrfutil does, against simulated probes and chips, with rehearsal faults on request.
#include <cstdlib>
#include <string>

#include "nrfutil_arguments.h"
#include "nrfutil_commands.h"
#include "nrfutil_tasks.h"
#include "platform/files.h"
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

// The tool's own installation, when the caller named one: noted in "nrfutil-home.log" beside the
// program, a line per run, so a rehearsal shows which installation a run was given.
void NoteHome(const std::string& folder) {
    if (const char* home = std::getenv("NRFUTIL_HOME")) {
        try {
            os::OpenForAppending(folder + "nrfutil-home.log").Write(std::string(home) + "\n");
        } catch (const os::FileError& e) {
            sim::PrintWarning(e.what());
        }
    }
}

// Every device command connects to the chip; the probes' list and the stand-in's own do not.
bool OnTheChip(const sim::nrfutil::Request& request) {
    if (request.help || request.version) {
        return false;
    }
    switch (request.command) {
        case sim::nrfutil::Command::kNone:
        case sim::nrfutil::Command::kList:
        case sim::nrfutil::Command::kBoardChange:
        case sim::nrfutil::Command::kBoardOut:
            return false;
        default:
            return true;
    }
}

sim::Outcome Run(const sim::Call& call) {
    NoteHome(call.folder);
    const sim::nrfutil::ParsedArguments parsed = sim::nrfutil::ParseArguments(call.arguments);
    if (!parsed.error.empty()) {
        sim::nrfutil::PrintErrorLine(parsed.error);
        return {sim::nrfutil::kExitBadArguments, sim::RunKind::kRefused};
    }
    sim::CrashIfAsked(call.settings, KindOf(parsed.request.command));
    return {sim::nrfutil::RunRequest(parsed.request, call.settings, call.folder),
            KindOf(parsed.request.command), OnTheChip(parsed.request)};
}

}  // namespace

int main(int argc, char** argv) {
    return sim::RunStandIn(argc, argv, Run, sim::nrfutil::PrintErrorLine,
                           sim::nrfutil::kExitFailed);
}
