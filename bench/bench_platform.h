// What the benchmarks that run on both platforms need of each: running a line engineer's script
// (the press benchmark's anchor), and running commands as the station's window program does.
#pragma once

#include <string>

namespace bench {

// Runs the script file at path with the platform's command interpreter (/bin/sh, or cmd.exe /C
// in a console of its own, as when the file is double-clicked), its output to the null device,
// and waits for it. Returns its exit status. Throws std::runtime_error when it cannot be started.
int RunScript(const std::string& path);

// Makes the commands this program runs start as those of romtool.exe do. On Windows the program
// leaves its console: romtool.exe is a window program without one, so every command interpreter
// it starts gets a console of its own, which costs time. Nothing elsewhere.
void RunAsWindowProgram();

}  // namespace bench
