// How the Windows tests name win_helper.exe (see win_helper.cpp) on a command line.
#pragma once

#include <string>

#include "os.h"

namespace win_helper {

// The helper's full path, with the platform's separators.
inline std::string Path() {
    std::string path = ROMTOOL_WIN_HELPER_PATH;
    for (char& c : path) {
        if (c == '/') {
            c = os::kPathSeparator;
        }
    }
    return path;
}

// A command line that runs the helper with the given arguments.
inline std::string Command(const std::string& arguments) {
    return os::QuoteArgument(Path()) + " " + arguments;
}

}  // namespace win_helper
