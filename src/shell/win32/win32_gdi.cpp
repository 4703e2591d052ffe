#include "shell/win32/win32_gdi.h"

#include <algorithm>
#include <string>

#include "shell/layout_table.h"

namespace shell {

using namespace station;

Font MakeFont(const FontSpec& layoutFont, int dpi) {
    return Font(::CreateFontW(
        ScaledForDpi(layoutFont.height, dpi), 0, 0, 0, layoutFont.bold ? FW_BOLD : FW_NORMAL,
        layoutFont.italic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
        DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, os::win32::Widen(layoutFont.face).c_str()));
}

Brush MakeBrush(Rgb colour) {
    return Brush(::CreateSolidBrush(RGB(colour.red, colour.green, colour.blue)));
}

SIZE TextSize(HFONT font, std::wstring_view text) {
    const std::wstring shown = text.empty() ? L" " : std::wstring(text);
    const DeviceContext screen(nullptr);
    const Selection selected(screen.Get(), font);
    RECT bounds{0, 0, 0, 0};
    ::DrawTextW(screen.Get(), shown.c_str(), static_cast<int>(shown.size()), &bounds,
                DT_CALCRECT | DT_NOPREFIX | DT_LEFT);
    return {bounds.right, bounds.bottom};
}

int WindowDpi(HWND window) {
    // Looked up at run time: a program that imports it does not start on Windows 7 or 8.
    using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        reinterpret_cast<GetDpiForWindowCall>(reinterpret_cast<void (*)()>(
            ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi > 0) {
            return static_cast<int>(dpi);
        }
    }
    const DeviceContext screen(nullptr);
    const int dpi = ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

void CentreOnWorkArea(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return;
    }
    const RECT& work = monitor.rcWork;
    RECT frame{};
    ::GetWindowRect(window, &frame);
    const LONG left = work.left + (work.right - work.left - (frame.right - frame.left)) / 2;
    const LONG top = work.top + (work.bottom - work.top - (frame.bottom - frame.top)) / 2;
    ::SetWindowPos(window, nullptr, std::max(left, work.left), std::max(top, work.top), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace shell
