// What every run of a stand-in does around its command: the call recorded in "calls.log" beside
// the program, the rehearsal settings read from "standin.ini" beside it, and the delay and hang
// faults once the command is done.
#pragma once

#include <string>
#include <vector>

#include "standin_settings.h"

namespace sim {

// The kinds of run that the hang setting tells apart.
enum class RunKind { kProbeQuery, kProgramming, kOther };

// The program's arguments, converted from the system's ANSI code page to UTF-8.
std::vector<std::string> ArgumentsOf(int argc, char** argv);

struct Call {
    std::string folder;  // the program's folder, ending in the separator
    Settings settings;
};

// Records the call and reads the settings. A log that cannot be written or a settings file that
// cannot be read, and every problem in the settings, are printed as warnings; nothing throws
// but allocation.
Call BeginCall(const std::vector<std::string>& arguments);

// Waits the settings' delay, then never returns if their hang applies to this kind of run.
void EndCall(const Settings& settings, RunKind kind);

// The end of a stand-in's option list: the files beside it and the rehearsal settings.
const char* StandInFilesHelp();

// Waits without end: what a stuck run or a prompt nobody sees does.
[[noreturn]] void HangForever();

}  // namespace sim
