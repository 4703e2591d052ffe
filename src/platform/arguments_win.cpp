// The Unicode command line, split as the C runtime of a wmain program would split it.
#include <shellapi.h>

#include <memory>

#include "arguments.h"
#include "win32.h"

namespace os {

std::vector<std::string> ProgramArguments(int, char**) {
    std::vector<std::string> arguments;
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> list(
        CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    for (int i = 1; list && i < count; ++i) {
        arguments.push_back(win32::Narrow(list.get()[i]));
    }
    return arguments;
}

}  // namespace os
