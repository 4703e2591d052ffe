// Running a line engineer's script: the anchor of the press benchmark.
#pragma once

#include <string>

namespace bench {

// Runs the script file at path with the platform's command interpreter (/bin/sh, or cmd.exe /C),
// its output to the null device, and waits for it. Returns its exit status. Throws
// std::runtime_error when it cannot be started.
int RunScript(const std::string& path);

}  // namespace bench
