// Runs one command line through the system's command interpreter and collects its output.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "tool/output_capture.h"

namespace tool {

// What one command run gave. Results that matter are values here, never text to search later.
struct CommandResult {
    std::string output;     // everything printed, UTF-8; with the timeout line when timedOut
    bool timedOut = false;  // the limit ended the run
    int exitCode = -1;      // the interpreter's exit code; -1 when it was ended or not started
    std::optional<os::StartFailure> notStarted;  // why the command never ran; none once it did
};

// How far a run has come, as whileWaiting sees it.
struct RunProgress {
    std::chrono::milliseconds elapsed{0};  // since the command was started
    // The newest whole lines of the output so far (at most kRecentOutputBound bytes, decoded as
    // the final output is); given only when they changed since they were last given, and at
    // most ten times a second, so that a chatty tool cannot slow the window. Null otherwise.
    const std::string* recentOutput = nullptr;
};
inline constexpr std::size_t kRecentOutputBound = 64 * 1024;

// How a command is to be run beyond its line and folder, and the texts RunCommand adds to its
// output, in its caller's words (none by default).
struct RunOptions {
    std::vector<os::EnvironmentVariable> environment;  // besides the station's own
    OutputEncoding encoding = OutputEncoding::kAnsi;   // how its output is read
    // The last line of a run its limit ended, given the limit in whole seconds (rounded up);
    // none when empty.
    std::function<std::string(long long limitSeconds)> timeoutLine;
    // The first line of an output that was cut to its last 16 MiB; none when empty.
    std::string cutNote;
};

// Runs commandLine through the command interpreter ("cmd.exe /C" on Windows, "/bin/sh -c"
// elsewhere) in workingFolder, and returns everything it printed on standard output and standard
// error, in the order the pipe delivered it, decoded to UTF-8 (from the ANSI code page unless the
// options say the tool writes UTF-8).
//
// The output is taken as pieces of 255 bytes from its start, each cut at its first zero byte,
// and decoded once, at the end, so a multi-byte character split across two reads stays whole.
// Only its last 16 MiB are kept, after the options' cut note (see OutputCapture).
//
// Once the interpreter has ended, output is still read for about a second; then whatever it
// left running is ended and the output is taken as it stands. A command still running after
// limit (also one that closed its output) is ended with everything it started, and the output
// then gets the options' timeout line and the platform's line break as its last line.
//
// whileWaiting, when given, is called about every 50 ms while the command runs; the window uses
// it to repaint and to show the run's progress.
//
// The output is "" when the command cannot be started (notStarted then says why) or prints
// nothing. Throws nothing of its
// own; an exception from whileWaiting passes through after the command has been ended. No
// process or handle outlives the call.
CommandResult RunCommand(const std::string& commandLine, const std::string& workingFolder,
                         std::chrono::milliseconds limit,
                         const std::function<void(const RunProgress&)>& whileWaiting = {},
                         const RunOptions& options = {});

// For tests of what the station makes of a run that never started: while an object of this
// class lives, every RunCommand starts nothing and returns failure as its reason. One at a time.
class InjectedStartFailure {
public:
    explicit InjectedStartFailure(os::StartFailure failure);
    ~InjectedStartFailure();
    InjectedStartFailure(const InjectedStartFailure&) = delete;
    InjectedStartFailure& operator=(const InjectedStartFailure&) = delete;

private:
    os::StartFailure failure_;
};

}  // namespace tool
