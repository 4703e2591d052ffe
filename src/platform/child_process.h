// A command run through the system's command interpreter, with its output captured.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace os {

// A variable a command gets in its environment besides the station's own (in place of one of
// the same name).
struct EnvironmentVariable {
    std::string name;
    std::string value;
};

// Why a command could not be started: the system call that failed, and the system's code and
// text for it.
struct StartFailure {
    std::string call;        // e.g. "posix_spawn", "CreatePipe", "CreateProcessW", "ResumeThread"
    std::uint32_t code = 0;  // errno on Linux, GetLastError() on Windows
    std::string text;        // SystemErrorText(code)
};

// Whether an interpreter's exit code tells of an abnormal end rather than the command's own
// answer. Windows: an exception code (0xC0000000 and up, e.g. 0xC0000005) or cmd's 9009, the
// command could not be run. Elsewhere: 128 + a signal's number, as /bin/sh reports a command a
// signal ended (and as ExitCode reports the interpreter's own such end), or 126 and 127, the
// shell could not run or find the command.
bool EndedAbnormally(int exitCode);

// A command run through the system's command interpreter ("cmd.exe /C" on Windows, "/bin/sh -c"
// elsewhere) in a given working folder, with its standard output and standard error both going
// into one pipe that this object reads. The command and everything it starts form one tree that
// Terminate ends as a whole: a Job object on Windows; elsewhere the processes of the run found
// by the process tree (process_tree.h), also those that left the interpreter's group or session.
//
// The destructor ends the tree if it still runs, reaps it and closes every handle, so no child
// or descriptor outlives the object on any path.
class ChildProcess {
public:
    // Starts the command. Returns nullptr when it cannot be started (e.g. the working folder
    // does not exist), with the reason in *failure when failure is given; nothing is left open
    // or running then.
    static std::unique_ptr<ChildProcess> Start(
        const std::string& commandLine, const std::string& workingFolder,
        const std::vector<EnvironmentVariable>& variables = {}, StartFailure* failure = nullptr);

    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    static constexpr long kEnded = -1;  // Read: every writer has closed the pipe

    // Reads up to capacity bytes of output, waiting at most waitMs milliseconds for some to
    // arrive. Returns the count read (> 0); 0 when nothing arrived in time or the interpreter
    // ended meanwhile; kEnded once every writer has closed the pipe.
    long Read(char* buffer, std::size_t capacity, int waitMs);
    // Waits at most waitMs milliseconds for the interpreter to end; true once it has. What it
    // started may still run.
    bool WaitForEnd(int waitMs) noexcept;
    // The interpreter's exit code once it has ended by itself (on Linux 128 + the signal's
    // number when a signal ended it, as the shell reports its commands); -1 otherwise.
    int ExitCode() const;
    // Ends the whole tree at once and reaps the interpreter, each within a few seconds;
    // harmless when it has ended.
    void Terminate() noexcept;

    struct Impl;

private:
    explicit ChildProcess(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace os
