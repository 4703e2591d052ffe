// The stand-in programmer: answers the station's three command lines the way the chip maker's
// programmer does, against a simulated probe and flash, with rehearsal faults on request.
#include <chrono>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "call_log.h"
#include "file_bytes.h"
#include "files.h"
#include "paths.h"
#include "standin_arguments.h"
#include "standin_commands.h"
#include "standin_output.h"
#include "standin_settings.h"
#include "text.h"

namespace {

sim::Settings LoadSettings(const std::string& iniPath) {
    std::string text;
    if (os::FileExists(iniPath)) {
        try {
            text = sim::ReadWholeFile(iniPath);
        } catch (const os::FileError& e) {
            sim::PrintWarning(e.what());
        }
    }
    return sim::ReadSettings(text);
}

bool Hangs(const sim::Settings& settings, sim::Command command) {
    switch (settings.hang) {
        case sim::HangIn::kNoRun:
            return false;
        case sim::HangIn::kProgramming:
            return command == sim::Command::kProgram;
        case sim::HangIn::kProbeQuery:
            return command == sim::Command::kProbeQuery;
        case sim::HangIn::kEveryRun:
            return true;
    }
    return false;
}

[[noreturn]] void HangForever() {
    for (;;) {
        std::this_thread::sleep_for(std::chrono::hours(1));
    }
}

int Run(const std::vector<std::string>& arguments) {
    const std::string folder = os::FolderPart(os::ExecutablePath());
    try {
        sim::RecordCall(folder + "calls.log", sim::CallLine(sim::WorkingFolder(), arguments));
    } catch (const os::FileError& e) {
        sim::PrintWarning(e.what());
    }

    const sim::Settings settings = LoadSettings(folder + "standin.ini");
    for (const std::string& problem : settings.problems) {
        sim::PrintWarning(problem);
    }

    const sim::ParsedArguments parsed = sim::ParseArguments(arguments);
    if (!parsed.error.empty()) {
        sim::PrintError(parsed.error);
        return sim::kExitBadArguments;
    }
    const int exitCode = sim::RunRequest(parsed.request, settings, folder + "flash.bin");
    std::this_thread::sleep_for(std::chrono::milliseconds(settings.delayMs));
    if (Hangs(settings, parsed.request.command)) {
        HangForever();
    }
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        // The arguments come in the system's ANSI code page; the program works in UTF-8.
        std::vector<std::string> arguments;
        for (int i = 1; i < argc; ++i) {
            arguments.push_back(os::FromAnsi(argv[i]));
        }
        return Run(arguments);
    } catch (const std::exception& e) {
        sim::PrintError(e.what());
        return sim::kExitInternal;
    }
}
