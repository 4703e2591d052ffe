// The window's GDI resources, each owned by a small RAII type, the DPI a window is drawn at and
// where it opens.
#pragma once

#include <memory>
#include <string_view>
#include <type_traits>

#include "shell/win32/win32_ui.h"
#include "station/form/station_view.h"

namespace shell {

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using Brush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;
using Bitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;

// A solid brush of colour.
Brush MakeBrush(station::Rgb colour);

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

// A window's painting between BeginPaint and EndPaint.
class PaintContext {
public:
    explicit PaintContext(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
    ~PaintContext() { ::EndPaint(window_, &paint_); }
    PaintContext(const PaintContext&) = delete;
    PaintContext& operator=(const PaintContext&) = delete;

    HDC Get() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// A memory device context like dc's, to paint into off the screen; deleted when it goes.
class MemoryContext {
public:
    explicit MemoryContext(HDC dc) : dc_(::CreateCompatibleDC(dc)) {}
    ~MemoryContext() {
        if (dc_) {
            ::DeleteDC(dc_);
        }
    }
    MemoryContext(const MemoryContext&) = delete;
    MemoryContext& operator=(const MemoryContext&) = delete;

    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// A font, brush or bitmap selected into a device context while it lives; the one before comes
// back after.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~Selection() { ::SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

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
