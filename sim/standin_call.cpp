#include "standin_call.h"

#include <chrono>
#include <thread>

#include "call_log.h"
#include "file_bytes.h"
#include "os.h"
#include "standin_output.h"

namespace sim {

namespace {

Settings LoadSettings(const std::string& iniPath) {
    std::string text;
    if (os::FileExists(iniPath)) {
        try {
            text = ReadWholeFile(iniPath);
        } catch (const os::FileError& e) {
            PrintWarning(e.what());
        }
    }
    return ReadSettings(text);
}

bool Hangs(const Settings& settings, RunKind kind) {
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

std::vector<std::string> ArgumentsOf(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(os::FromAnsi(argv[i]));
    }
    return arguments;
}

Call BeginCall(const std::vector<std::string>& arguments) {
    Call call;
    call.folder = os::FolderPart(os::ExecutablePath());
    try {
        RecordCall(call.folder + "calls.log", CallLine(WorkingFolder(), arguments));
    } catch (const os::FileError& e) {
        PrintWarning(e.what());
    }
    call.settings = LoadSettings(call.folder + "standin.ini");
    for (const std::string& problem : call.settings.problems) {
        PrintWarning(problem);
    }
    return call;
}

void EndCall(const Settings& settings, RunKind kind) {
    std::this_thread::sleep_for(std::chrono::milliseconds(settings.delayMs));
    if (Hangs(settings, kind)) {
        HangForever();
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
           "                         (one probe per serial).\n";
}

void HangForever() {
    for (;;) {
        std::this_thread::sleep_for(std::chrono::hours(1));
    }
}

}  // namespace sim
