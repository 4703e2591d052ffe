#include <algorithm>

#include "platform/console.h"
#include "platform/internal/win32.h"

namespace os {

bool WriteText(StandardStream stream, std::string_view utf8) {
    const HANDLE handle =
        GetStdHandle(stream == StandardStream::kOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide = win32::Widen(utf8);
        std::wstring_view rest = wide;
        while (!rest.empty()) {
            DWORD written = 0;
            const DWORD size = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 16384));
            if (!WriteConsoleW(handle, rest.data(), size, &written, nullptr) || written == 0) {
                return false;
            }
            rest.remove_prefix(written);
        }
        return true;
    }
    while (!utf8.empty()) {
        DWORD written = 0;
        const DWORD size = static_cast<DWORD>(std::min<std::size_t>(utf8.size(), 1u << 30));
        if (!WriteFile(handle, utf8.data(), size, &written, nullptr) || written == 0) {
            return false;
        }
        utf8.remove_prefix(written);
    }
    return true;
}

}  // namespace os
