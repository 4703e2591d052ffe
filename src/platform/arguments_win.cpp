// The Unicode command line, split as the C runtime of a wmain program would split it.
#include <memory>

#include "platform/arguments.h"
#include "platform/internal/win32.h"

#include <shellapi.h>  // after <windows.h>, which it needs

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
