// The program's own command line.
#pragma once

#include <string>
#include <vector>

namespace os {

// The arguments after the program's name, UTF-8. Windows: split from the Unicode command line
// (GetCommandLineW, CommandLineToArgvW), so a path outside the ANSI code page arrives whole;
// argc and argv are not used there. Linux: argv as it is.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace os
