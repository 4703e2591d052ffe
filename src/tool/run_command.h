// Runs one command line through the system's command interpreter and collects its output.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace tool {

// What one command run gave. Results that matter are values here, never text to search later.
struct CommandResult {
    std::string output;     // everything printed, UTF-8; with the timeout line when timedOut
    bool timedOut = false;  // the limit ended the run
    int exitCode = -1;      // the interpreter's exit code; -1 when it was ended or not started
};

// Runs commandLine through the command interpreter ("cmd.exe /C" on Windows, "/bin/sh -c"
// elsewhere) in workingFolder, and returns everything it printed on standard output and standard
// error, in the order the pipe delivered it, decoded from the ANSI code page to UTF-8.
//
// The output is taken as pieces of 255 bytes from its start, each cut at its first zero byte,
// and decoded once, at the end, so a multi-byte character split across two reads stays whole.
// Only its last 16 MiB are kept, after a note that it was cut (see OutputCapture).
//
// Once the interpreter has ended, output is still read for about a second; then whatever it
// left running is ended and the output is taken as it stands. A command still running after
// limit (also one that closed its output) is ended with everything it started, and the output
// then gets a last line "ERROR:命令在N秒内未结束，已被终止。" (N the limit in seconds) and the
// platform's line break.
//
// whileWaiting, when given, is called about every 50 ms while the command runs; the window uses
// it to repaint.
//
// The output is "" when the command cannot be started or prints nothing. Throws nothing of its
// own; an exception from whileWaiting passes through after the command has been ended. No
// process or handle outlives the call.
CommandResult RunCommand(const std::string& commandLine, const std::string& workingFolder,
                         std::chrono::milliseconds limit,
                         const std::function<void()>& whileWaiting = {});

// The last line RunCommand adds when it had to end a command after limitSeconds.
std::string TimeoutLine(long long limitSeconds);

}  // namespace tool
