// The computer's name on Windows: GetComputerNameW.
#include "platform/computer.h"
#include "platform/internal/win32.h"

namespace os {

std::string ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &size)) {
        return "";
    }
    return win32::Narrow(std::wstring_view(name, size));
}

}  // namespace os
