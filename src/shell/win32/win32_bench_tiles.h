// The bench's tiles in the Win32 window: one child window per fixture over the verdict panel,
// painted by itself from the layout table's tile parts at the window's DPI. A click on a tile
// tells the form.
#pragma once

#include <array>
#include <functional>

#include "shell/layout_table.h"
#include "shell/win32/win32_gdi.h"
#include "shell/win32/win32_ui.h"
#include "station/form/bench_view.h"

namespace shell {

// A tile's text parts, in the order of TileTextPart's table.
enum TileText {
    kTileName,
    kTileProbe,
    kTileCaption,
    kTileElapsed,
    kTileError,
    kTileLabel,
    kTileCounts,
    kTileTextCount
};

// The part of parts for text part (its geometry and font).
const TilePart& TileTextPart(const TileParts& parts, int part);

// The tiles' fonts at a DPI, one per text part, shared by every tile of the window.
struct TileFonts {
    int dpi = 96;
    std::array<Font, kTileTextCount> fonts;
};
TileFonts MakeTileFonts(int dpi);

class Win32Tile {
public:
    // A tile of parent, hidden until placed. fonts: the window's, replaced in place when its DPI
    // changes (the window repaints the tiles then); clicked: what a click on the tile runs.
    Win32Tile(HINSTANCE instance, HWND parent, const TileFonts& fonts,
              std::function<void()> clicked);
    ~Win32Tile();
    Win32Tile(const Win32Tile&) = delete;
    Win32Tile& operator=(const Win32Tile&) = delete;

    // Shows tile; repainted at once when the window next paints.
    void Show(const station::TileView& tile);
    // Moves the tile to g (in its parent's client area, at the DPI of its fonts) and shows it;
    // width: its width at 96 DPI, which lays its parts out.
    void Place(const Geometry& g, int width);

    HWND Handle() const { return window_; }
    const station::TileView& Shown() const { return tile_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc, const RECT& area) const;
    void PaintText(HDC dc, int part, const std::string& text, station::Rgb colour) const;
    void PaintProgress(HDC dc) const;

    HWND window_ = nullptr;
    const TileFonts& fonts_;
    std::function<void()> clicked_;
    TileParts parts_ = TilePartsFor(kTileWidth);
    station::TileView tile_;
};

}  // namespace shell
