// How the Windows tests run win_helper.exe (see win_helper.cpp) and watch what it starts.
#pragma once

#include <string>

#include "platform/internal/win32.h"
#include "platform/paths.h"

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

// The process id from the helper's "child <id>" line, 0 when there is none.
inline DWORD ChildId(const std::string& output) {
    const std::size_t at = output.find("child ");
    return at == std::string::npos ? 0 : std::stoul(output.substr(at + 6));
}

// True once the process has ended (or is gone already), waiting for it up to a generous bound.
inline bool ProcessEnds(DWORD id) {
    os::win32::Handle process(OpenProcess(SYNCHRONIZE, FALSE, id));
    return !process.IsValid() || WaitForSingleObject(process.Get(), 30000) == WAIT_OBJECT_0;
}

}  // namespace win_helper
