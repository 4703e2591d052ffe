// The window's GDI resources, each owned by a small RAII type, the DPI a window is drawn at and
// where it opens.
#pragma once

#include <memory>
#include <string_view>
#include <type_traits>

#include "shell/win32/win32_ui.h"
#include "station/form/station_view.h"

namespace shell {

struct FontDeleter {
    void operator()(HFONT font) const { ::DeleteObject(font); }
};
using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

// The layout's font (its height counts pixels at 96 DPI) at dpi pixels per inch.
Font MakeFont(const station::FontSpec& layoutFont, int dpi);

// A window's device context (the screen's for none), released when it goes.
class DeviceContext {
public:
    explicit DeviceContext(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~DeviceContext() {
        if (dc_) {
            ::ReleaseDC(window_, dc_);
        }
    }
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A font selected into a device context while it lives; the one before comes back after.
class FontSelection {
public:
    FontSelection(HDC dc, HFONT font) : dc_(dc), previous_(::SelectObject(dc, font)) {}
    ~FontSelection() { ::SelectObject(dc_, previous_); }
    FontSelection(const FontSelection&) = delete;
    FontSelection& operator=(const FontSelection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The size text takes in font, every line of it (DrawTextW's DT_CALCRECT, no prefix
// characters); a blank's height for no text.
SIZE TextSize(HFONT font, std::wstring_view text);

// The DPI window is drawn at: GetDpiForWindow where the system has it (Windows 10 1607 on),
// otherwise the screen's, which is the system's DPI.
int WindowDpi(HWND window);

// Moves window to the middle of its monitor's work area (without the task bar and docked bars).
// A window larger than the work area keeps its caption on the screen.
void CentreOnWorkArea(HWND window);

}  // namespace shell
