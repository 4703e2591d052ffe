// Programs started the plain Win32 way, for the Windows benchmarks' anchors and helpers: what a
// window program does that runs a command line with CreateProcessW and waits, without the
// station's job object, pipe polling or limits. Command lines and folders are UTF-8.
#pragma once

#include <string>

#include "platform/internal/win32.h"

namespace bench {

// How a console program started by a program without a console (as romtool.exe is) runs.
enum class Console {
    kNoWindow,  // CREATE_NO_WINDOW: the least a window program does to run one unseen
    kOwn,       // a console of its own, as romtool.exe's tool runs and a double-clicked script get
};

// commandLine as the command interpreter runs it: cmd.exe from the system folder, "/C" and the
// line in one more pair of quotes, which cmd strips.
std::string ShellCommandLine(const std::string& commandLine);

// Starts commandLine, its standard output and error to NUL, and waits for its end. Returns its
// exit code. Throws std::runtime_error when it cannot be started.
int RunAndWait(const std::string& commandLine, Console console = Console::kNoWindow);

// Starts commandLine, its standard output and error in an anonymous pipe, reads the pipe until
// every writer has closed it, then waits for the process. Returns what it printed. Throws
// std::runtime_error when it cannot be started.
std::string RunAndRead(const std::string& commandLine, Console console = Console::kNoWindow);

// A started program, ended (TerminateProcess) and waited for when destroyed.
class RunningProgram {
public:
    // Starts commandLine in folder, its standard output and error to NUL. Throws
    // std::runtime_error when it cannot be started.
    RunningProgram(const std::string& commandLine, const std::string& folder);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

private:
    os::win32::Handle process_;
};

}  // namespace bench
