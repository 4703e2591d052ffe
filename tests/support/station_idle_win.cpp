#include "station_idle_win.h"

#include <string>
#include <vector>

#include "platform/internal/win32.h"
#include "platform/utf16.h"

namespace station_idle {

namespace {

using os::win32::Widen;

struct Search {
    std::wstring exeName;
    std::vector<HWND> windows;
};

// The file name of the program that owns window; "" when it cannot be asked.
std::wstring ProgramName(HWND window) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    const os::win32::Handle process(
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process.IsValid()) {
        return {};
    }
    std::wstring path(32768, L'\0');
    DWORD size = static_cast<DWORD>(path.size());
    if (!::QueryFullProcessImageNameW(process.Get(), 0, path.data(), &size)) {
        return {};
    }
    path.resize(size);
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

BOOL CALLBACK TakeStationWindow(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<Search*>(context);
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (std::wstring(className) == L"TRomForm" && ::IsWindowVisible(window) &&
        ::lstrcmpiW(ProgramName(window).c_str(), search.exeName.c_str()) == 0) {
        search.windows.push_back(window);
    }
    return TRUE;
}

struct ChildState {
    HWND start = nullptr;
    bool unpainted = false;
};

BOOL CALLBACK LookAtChild(HWND child, LPARAM context) {
    auto& state = *reinterpret_cast<ChildState*>(context);
    wchar_t caption[32] = {};
    ::GetWindowTextW(child, caption, 32);
    const std::wstring text = caption;
    if (text == Widen("开始(&S)")) {
        state.start = child;
    }
    // A hidden control is not painted, whatever its update region says.
    state.unpainted =
        state.unpainted || (::IsWindowVisible(child) && ::GetUpdateRect(child, nullptr, FALSE));
    return TRUE;
}

// "" when window is idle, or what keeps it from being so.
std::string StateOf(HWND window) {
    if (::GetPropW(window, L"RomtoolBusy")) {
        return "busy";
    }
    ChildState state;
    ::EnumChildWindows(window, &LookAtChild, reinterpret_cast<LPARAM>(&state));
    if (!state.start || !::IsWindowEnabled(state.start)) {
        return "开始 disabled";
    }
    return state.unpainted || ::GetUpdateRect(window, nullptr, FALSE) ? "not painted" : "";
}

std::string StateNow(const std::wstring& exeName) {
    Search search{exeName, {}};
    ::EnumWindows(&TakeStationWindow, reinterpret_cast<LPARAM>(&search));
    if (search.windows.empty()) {
        return "no window";
    }
    for (HWND window : search.windows) {
        if (std::string state = StateOf(window); !state.empty()) {
            return state;
        }
    }
    return "";
}

}  // namespace

std::string ClientOffset(const std::string& exeName) {
    // Physical pixels, as the window's own: the station is DPI aware, and so must the look be.
    ::SetProcessDPIAware();
    Search search{Widen(exeName), {}};
    ::EnumWindows(&TakeStationWindow, reinterpret_cast<LPARAM>(&search));
    RECT frame{};
    POINT client{0, 0};
    if (search.windows.empty() || !::GetWindowRect(search.windows.front(), &frame) ||
        !::ClientToScreen(search.windows.front(), &client)) {
        return {};
    }
    return std::to_string(client.x - frame.left) + " " + std::to_string(client.y - frame.top);
}

std::string WaitUntilIdle(const std::string& exeName, int seconds) {
    const std::wstring name = Widen(exeName);
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
    for (;;) {
        std::string state = StateNow(name);
        if (state.empty() || ::GetTickCount64() >= deadline) {
            return state;
        }
        ::Sleep(20);
    }
}

}  // namespace station_idle
