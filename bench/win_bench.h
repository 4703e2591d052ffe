// The Windows rows of scripts/bench, run under Wine. Each prints its paired records
// (paired_runs.h) and returns the program's exit status; each throws std::runtime_error when a
// run went wrong.
#pragma once

namespace bench {

// RunCommand of "exit 0" (cmd.exe /C) against CreateProcessW of the same line and a wait:
// "run_command_exit" and "create_process_exit".
void RunCommandRows(int pairs);
// RunCommand capturing 100 MB of output against the same command writing to NUL:
// "capture_run_command" and "capture_to_nul".
void CaptureRows(int pairs);
// The delay between a tool's last byte and RunCommand's return, against a blocking read of the
// pipe and a wait for the interpreter: "pipe_delay_run_command" and "pipe_delay_blocking_read".
void PipeDelayRows(int pairs);
// romtool.exe started until its first verdict is in the daily log, against a minimal Win32 window
// that runs the probe query and shows its output: "startup_romtool" and "startup_minimal_window".
void StartupRows(int pairs);

}  // namespace bench
