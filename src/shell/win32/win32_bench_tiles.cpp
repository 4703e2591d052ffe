#include "shell/win32/win32_bench_tiles.h"

#include <algorithm>
#include <utility>

namespace shell {

using namespace station;

namespace {

using os::win32::Widen;

constexpr wchar_t kTileClass[] = L"RomtoolTile";

// The tile the next label goes to is lit; the others are dark, their texts light.
constexpr Rgb kDark{32, 32, 32};
constexpr Rgb kLit{255, 244, 160};
constexpr Rgb kLightText{230, 230, 230};
constexpr Rgb kDarkText{0, 0, 0};
constexpr Rgb kErrorText{255, 0, 0};
// The selected tile's thick frame, the others' thin one.
constexpr Rgb kSelectedFrame{0, 120, 215};
constexpr Rgb kFrame{128, 128, 128};
constexpr int kSelectedFrameWidth = 4;
constexpr Rgb kProgressTrack{64, 64, 64};
constexpr Rgb kProgressBar{6, 176, 37};

RECT ToRect(const Geometry& g) {
    return {g.left, g.top, g.left + g.width, g.top + g.height};
}

void Fill(HDC dc, const RECT& area, Rgb colour) {
    const Brush brush = MakeBrush(colour);
    ::FillRect(dc, &area, brush.get());
}

void RegisterTileClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW tileClass{};
    tileClass.cbSize = sizeof tileClass;
    tileClass.lpfnWndProc = procedure;
    tileClass.hInstance = instance;
    tileClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    tileClass.lpszClassName = kTileClass;
    ::RegisterClassExW(&tileClass);  // fails harmlessly for the second tile: already there
}

}  // namespace

const TilePart& TileTextPart(const TileParts& parts, int part) {
    const TilePart* const texts[kTileTextCount] = {&parts.name,    &parts.probe,     &parts.caption,
                                                   &parts.elapsed, &parts.errorLine, &parts.label,
                                                   &parts.counts};
    return *texts[part];
}

TileFonts MakeTileFonts(int dpi) {
    TileFonts made;
    made.dpi = dpi;
    const TileParts parts = TilePartsFor(kTileWidth);  // every tile's fonts are the same
    for (int part = 0; part < kTileTextCount; ++part) {
        made.fonts[static_cast<std::size_t>(part)] = MakeFont(TileTextPart(parts, part).font, dpi);
    }
    return made;
}

Win32Tile::Win32Tile(HINSTANCE instance, HWND parent, const TileFonts& fonts,
                     std::function<void()> clicked)
    : fonts_(fonts), clicked_(std::move(clicked)) {
    RegisterTileClass(instance, &Win32Tile::WindowProc);
    ::CreateWindowExW(0, kTileClass, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent, nullptr,
                      instance, this);
}

Win32Tile::~Win32Tile() {
    if (window_) {
        ::DestroyWindow(window_);
    }
}

void Win32Tile::Show(const TileView& tile) {
    tile_ = tile;
    ::InvalidateRect(window_, nullptr, FALSE);
}

void Win32Tile::Place(const Geometry& g, int width) {
    parts_ = TilePartsFor(width);
    ::SetWindowPos(window_, HWND_TOP, g.left, g.top, g.width, g.height,
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ::InvalidateRect(window_, nullptr, FALSE);
}

LRESULT CALLBACK Win32Tile::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<Win32Tile*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32Tile*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (self ? message : WM_NULL) {
        case WM_ERASEBKGND:
            return 1;  // the painting covers it all
        case WM_PAINT: {
            const PaintContext screen(window);
            RECT area{};
            ::GetClientRect(window, &area);
            // Painted off the screen and copied in one go: a tile that ticks never flickers.
            const MemoryContext memory(screen.Get());
            const Bitmap bitmap(::CreateCompatibleBitmap(screen.Get(), area.right, area.bottom));
            const Selection drawn(memory.Get(), bitmap.get());
            self->Paint(memory.Get(), area);
            ::BitBlt(screen.Get(), 0, 0, area.right, area.bottom, memory.Get(), 0, 0, SRCCOPY);
            return 0;
        }
        case WM_LBUTTONDOWN:
            if (self->clicked_) {
                self->clicked_();
            }
            return 0;
        case WM_NCDESTROY:
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            self->window_ = nullptr;
            break;
        default:
            break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void Win32Tile::Paint(HDC dc, const RECT& area) const {
    const bool lit = tile_.awaitsLabel;
    Fill(dc, area, lit ? kLit : kDark);
    const int frame = tile_.selected ? ScaledForDpi(kSelectedFrameWidth, fonts_.dpi) : 1;
    const Brush frameBrush = MakeBrush(tile_.selected ? kSelectedFrame : kFrame);
    for (int i = 0; i < frame; ++i) {
        const RECT edge{area.left + i, area.top + i, area.right - i, area.bottom - i};
        ::FrameRect(dc, &edge, frameBrush.get());
    }
    ::SetBkMode(dc, TRANSPARENT);
    const Rgb text = lit ? kDarkText : kLightText;
    PaintText(dc, kTileName, tile_.name, text);
    PaintText(dc, kTileProbe, tile_.probe, text);
    PaintText(dc, kTileCaption, tile_.caption, tile_.colour);
    PaintText(dc, kTileElapsed, tile_.elapsed, text);
    PaintText(dc, kTileError, tile_.errorLine, kErrorText);
    PaintText(dc, kTileLabel, tile_.label, text);
    PaintText(dc, kTileCounts, tile_.counts, text);
    PaintProgress(dc);
}

void Win32Tile::PaintText(HDC dc, int part, const std::string& text, Rgb colour) const {
    if (text.empty()) {
        return;
    }
    RECT place = ToRect(ScaledForDpi(TileTextPart(parts_, part).geometry, fonts_.dpi));
    const Selection font(dc, fonts_.fonts[static_cast<std::size_t>(part)].get());
    ::SetTextColor(dc, RGB(colour.red, colour.green, colour.blue));
    // A line too long for the tile ends in "…"; the text area has it whole. Centred on its part
    // and not cut to it: a font's line is taller than its characters, and the parts' gaps hold
    // the difference.
    const UINT align = part == kTileProbe || part == kTileCounts ? DT_RIGHT : DT_LEFT;
    ::DrawTextW(dc, Widen(text).c_str(), -1, &place,
                align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_NOCLIP);
}

void Win32Tile::PaintProgress(HDC dc) const {
    if (tile_.progress < 0) {
        return;
    }
    const RECT track = ToRect(ScaledForDpi(parts_.progress, fonts_.dpi));
    Fill(dc, track, kProgressTrack);
    RECT bar = track;
    bar.right = track.left + (track.right - track.left) * std::min(tile_.progress, 100) / 100;
    Fill(dc, bar, kProgressBar);
}

}  // namespace shell
