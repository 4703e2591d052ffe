// RunCommand on Windows against the plain Win32 way of running the same command line.
#include <chrono>
#include <stdexcept>
#include <string>

#include "paired_runs.h"
#include "platform/paths.h"
#include "scratch_folder.h"
#include "tool/run_command.h"
#include "win_bench.h"
#include "win_process.h"

namespace bench {

namespace {

constexpr std::chrono::seconds kLimit{120};
constexpr unsigned long long kCaptureBytes = 100000000;

// A command line that runs this program as one of its helpers (win_bench_main.cpp).
std::string Helper(const std::string& arguments) {
    return os::QuoteArgument(os::ExecutablePath()) + " " + arguments;
}

// The performance counter in seconds.
double CounterSeconds(long long ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

double SecondsSinceStamp(const std::string& output) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    if (output.empty()) {
        throw std::runtime_error("the helper printed no stamp");
    }
    return CounterSeconds(now.QuadPart - std::stoll(output));
}

void ExpectExitCode(int code) {
    if (code != 0) {
        throw std::runtime_error("the command ended with exit code " + std::to_string(code));
    }
}

}  // namespace

void RunCommandRows(int pairs) {
    const ScratchFolder folder("romtool-bench-spawn");
    const Side runCommand{
        "run_command_exit",
        Timed([&] { ExpectExitCode(tool::RunCommand("exit 0", folder.Path(), kLimit).exitCode); })};
    RunPairs(runCommand, {"create_process_exit", Timed([] {
                              ExpectExitCode(RunAndWait(ShellCommandLine("exit 0")));
                          })},
             pairs, "p");
    // What RunCommand adds to the start it makes, which gives the interpreter a console.
    RunPairs(runCommand, {"create_process_exit_own_console", Timed([] {
                              ExpectExitCode(RunAndWait(ShellCommandLine("exit 0"), Console::kOwn));
                          })},
             pairs, "c");
}

void CaptureRows(int pairs) {
    const ScratchFolder folder("romtool-bench-capture");
    const std::string print = Helper("--print " + std::to_string(kCaptureBytes));
    const Side capture{
        "capture_run_command", Timed([&] {
            const tool::CommandResult result = tool::RunCommand(print, folder.Path(), kLimit);
            // Only the newest 16 MiB are kept; they end in the command's last byte.
            if (result.exitCode != 0 || result.output.empty() || result.output.back() != 'a') {
                throw std::runtime_error("the output's end was not captured");
            }
        })};
    RunPairs(capture, {"capture_to_nul", Timed([&] {
                           ExpectExitCode(RunAndWait(ShellCommandLine(print + " >NUL")));
                       })},
             pairs, "p");
    // What the pipe itself costs: the least a capture does, reading until the pipe ends.
    RunPairs(capture, {"capture_blocking_read", Timed([&] {
                           if (RunAndRead(ShellCommandLine(print)).size() != kCaptureBytes) {
                               throw std::runtime_error("the blocking read missed output");
                           }
                       })},
             pairs, "b");
}

void PipeDelayRows(int pairs) {
    const ScratchFolder folder("romtool-bench-pipe");
    const std::string stamp = Helper("--stamp");
    const Side runCommand{
        "pipe_delay_run_command",
        [&] { return SecondsSinceStamp(tool::RunCommand(stamp, folder.Path(), kLimit).output); }};
    // Started as RunCommand starts it: what RunCommand's way of waiting adds.
    RunPairs(
        runCommand,
        {"pipe_delay_blocking_read",
         [&] { return SecondsSinceStamp(RunAndRead(ShellCommandLine(stamp), Console::kOwn)); }},
        pairs, "p");
    // Without a console: what the interpreter's console adds.
    RunPairs(runCommand,
             {"pipe_delay_no_console_window",
              [&] { return SecondsSinceStamp(RunAndRead(ShellCommandLine(stamp))); }},
             pairs, "n");
}

}  // namespace bench
