// The Windows rows of scripts/bench, run under Wine. Each prints its paired records
// (paired_runs.h) and returns the program's exit status; each throws std::runtime_error when a
// run went wrong.
#pragma once

namespace bench {

// RunCommand of "exit 0" (cmd.exe /C) against CreateProcessW of the same line and a wait, run
// unseen: "run_command_exit" and "create_process_exit"; then against the same start with a
// console of its own, as RunCommand's: "create_process_exit_own_console" (samples "c<pair>").
void RunCommandRows(int pairs);
// RunCommand capturing 100 MB of output against the same command writing to NUL:
// "capture_run_command" and "capture_to_nul"; then against blocking reads of the pipe until it
// ends, which keep all of it: "capture_blocking_read" (samples "b<pair>").
void CaptureRows(int pairs);
// The delay between a tool's last byte and RunCommand's return, against blocking reads of the
// pipe and a wait for the interpreter, started as RunCommand starts it (a console of its own):
// "pipe_delay_run_command" and "pipe_delay_blocking_read"; then against the same started
// without a console window: "pipe_delay_no_console_window" (samples "n<pair>").
void PipeDelayRows(int pairs);
// romtool.exe started until its first verdict is in the daily log, against a minimal Win32 window
// that runs the probe query and shows its output: "startup_romtool" and "startup_minimal_window";
// then against the same window empty, without the query: "startup_empty_window" (samples
// "e<pair>").
void StartupRows(int pairs);

}  // namespace bench
