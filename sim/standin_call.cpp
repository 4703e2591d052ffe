#include "standin_call.h"

#include <chrono>
#include <exception>
#include <thread>

#include "call_log.h"
#include "files.h"
#include "paths.h"
#include "standin_output.h"
#include "text.h"

namespace sim {

namespace {

Settings LoadSettings(const std::string& iniPath) {
    std::string text;
    if (os::FileExists(iniPath)) {
        try {
            text = os::ReadWholeFile(iniPath, os::Share::kRead);
        } catch (const os::FileError& e) {
            PrintWarning(e.what());
        }
    }
    return ReadSettings(text);
}

bool Hangs(const Settings& settings, RunKind kind) {
    if (kind == RunKind::kRefused) {
        return false;
    }
    switch (settings.hang) {
        case HangIn::kNoRun:
            return false;
        case HangIn::kProgramming:
            return kind == RunKind::kProgramming;
        case HangIn::kProbeQuery:
            return kind == RunKind::kProbeQuery;
        case HangIn::kEveryRun:
            return true;
    }
    return false;
}

}  // namespace

int RunStandIn(int argc, char** argv, const std::function<Outcome(const Call&)>& command,
               void (*printError)(std::string_view), int internalExitCode) {
    try {
        Call call;
        for (int i = 1; i < argc; ++i) {
            call.arguments.push_back(os::FromAnsi(argv[i]));
        }
        call.folder = os::FolderPart(os::ExecutablePath());
        try {
            RecordCall(call.folder + "calls.log", CallLine(WorkingFolder(), call.arguments));
        } catch (const os::FileError& e) {
            PrintWarning(e.what());
        }
        call.settings = LoadSettings(call.folder + "standin.ini");
        for (const std::string& problem : call.settings.problems) {
            PrintWarning(problem);
        }
        SetLinePause(call.settings.lineDelayMs);
        const Outcome outcome = command(call);
        if (outcome.kind != RunKind::kRefused) {
            std::this_thread::sleep_for(std::chrono::milliseconds(call.settings.delayMs));
        }
        if (Hangs(call.settings, outcome.kind)) {
            HangForever();
        }
        return outcome.exitCode;
    } catch (const std::exception& e) {
        printError(e.what());
        return internalExitCode;
    }
}

const char* StandInFilesHelp() {
    return "Files beside this program:\n"
           "  flash.bin              The simulated flash of the first probe (1 MiB, erased\n"
           "                         bytes are 0xFF); flash-<serial>.bin that of each other.\n"
           "  flash.protected        Present while that chip is protected (flash-<serial>.\n"
           "                         protected for the others); nrfutil only.\n"
           "  calls.log              One line per call: working folder and arguments, TAB\n"
           "                         separated.\n"
           "  standin.ini            Rehearsal faults, key=value lines; a variable\n"
           "                         STANDIN_<KEY> overrides a key:\n"
           "                           probe=absent, verify=fail, marker=omit|verified|done,\n"
           "                           delay_ms=N, hang=1|program|probe|all, long_output=N,\n"
           "                           zero_bytes=1, split_char=1, serial=TEXT[,TEXT...]\n"
           "                         (one probe per serial). With nrfutil, marker=omit\n"
           "                         makes a good program run print no task_end.\n";
}

void HangForever() {
    for (;;) {
        std::this_thread::sleep_for(std::chrono::hours(1));
    }
}

}  // namespace sim
