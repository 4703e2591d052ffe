#include "standin_call.h"

#include <chrono>
#include <exception>
#include <thread>

#include "call_log.h"
#include "platform/abnormal_end.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "standin_output.h"

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
            std::this_thread::sleep_for(
                std::chrono::milliseconds(call.settings.delayMs + call.settings.callMs +
                                          (outcome.onTheChip ? call.settings.connectMs : 0)));
        }
        if (outcome.kind == RunKind::kProgramming) {
            std::this_thread::sleep_for(std::chrono::milliseconds(call.settings.programMs));
        }
        if (AppliesTo(call.settings.hang, outcome.kind)) {
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
           "  flash.bin              The simulated flash of the first probe's chip (1 MiB,\n"
           "                         erased bytes are 0xFF); flash-<serial>.bin that of each\n"
           "                         other probe. Beside it, named alike:\n"
           "  flash.uicr             its UICR page (4 KiB), while a byte of it is written;\n"
           "  flash.protected        present while the chip is protected;\n"
           "  flash.opened           present once a recover opened a chip that came\n"
           "                         protected (protection=factory);\n"
           "  flash.board            the number of the board on the probe (none: 0). The\n"
           "                         chip's DEVICEID is deviceid + the board's number +\n"
           "                         2^32 for each probe listed before it.\n"
           "  calls.log              One line per call: working folder and arguments, TAB\n"
           "                         separated.\n"
           "  standin.ini            Rehearsal faults, key=value lines; a variable\n"
           "                         STANDIN_<KEY> overrides a key:\n"
           "                           probe=absent, verify=fail, marker=omit|verified|done,\n"
           "                           delay_ms=N, program_ms=N, hang=1|program|probe|all,\n"
           "                           call_ms=N (each call's cost), connect_ms=N (each\n"
           "                           call on the chip: the probe's connection),\n"
           "                           crash=1|program|probe|all, long_output=N,\n"
           "                           zero_bytes=1, split_char=1, serial=TEXT[,TEXT...]\n"
           "                           (one probe per serial), deviceid=HEX (default\n"
           "                           F00DCAFE12345678),\n"
           "                           family=nrf51|nrf52|nrf53|nrf91|nrf54l (the chips'\n"
           "                           family: where DEVICEID and UICR sit, and what\n"
           "                           -f / --family must name; default nrf52),\n"
           "                           protection=factory (chips come protected, and\n"
           "                           only a recover opens them).\n"
           "                         With nrfutil, marker=omit makes a good program run\n"
           "                         print no task_end.\n";
}

bool AppliesTo(HangIn runs, RunKind kind) {
    if (kind == RunKind::kRefused) {
        return false;
    }
    switch (runs) {
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

void CrashIfAsked(const Settings& settings, RunKind kind) {
    if (AppliesTo(settings.crash, kind)) {
        os::EndAsCrashed();
    }
}

void HangForever() {
    for (;;) {
        std::this_thread::sleep_for(std::chrono::hours(1));
    }
}

}  // namespace sim
