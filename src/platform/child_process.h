// A command run through the system's command interpreter, with its output captured.
#pragma once

#include <cstddef>
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
    // does not exist); nothing is left open or running then.
    static std::unique_ptr<ChildProcess> Start(
        const std::string& commandLine, const std::string& workingFolder,
        const std::vector<EnvironmentVariable>& variables = {});

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
    // The interpreter's exit code once it has ended by itself; -1 otherwise.
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
