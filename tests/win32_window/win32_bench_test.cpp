// The bench's tiles in the native window: in the verdict's place at every fixture count and DPI,
// whole at their fonts, pressed and selected through the window's own messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "log4me/log4me.h"
#include "shell/layout_table.h"
#include "shell/win32/win32_bench_tiles.h"
#include "shell/win32/win32_gdi.h"
#include "shell/win32/win32_station_window.h"
#include "station_folder.h"
#include "window_checks.h"

using namespace station;
using namespace shell;

namespace {

using namespace window_checks;

// The tiles for 2 to 8 fixtures: where the grid puts them in the verdict panel, inside it, none
// over another, the window grown as the grid needs at its DPI (as far as the system lets a
// window grow: no larger than the screen), and all of it again after a DPI change; without
// fixtures the one-fixture window, exactly.
TEST(Win32Bench, LaysTheBenchsTilesOutInsideTheVerdictPanelAndBack) {
    Win32StationWindow window(::GetModuleHandleW(nullptr));
    HWND main = window.Control(ControlId::RomForm);
    const int systemDpi = window.Dpi();
    const int caption = TextSize(MakeFont(kRomForm.font, 96).get(), L"0").cy;
    for (const auto& [count, dpi] : {std::pair{2, systemDpi}, std::pair{4, systemDpi},
                                     std::pair{4, 144}, std::pair{8, 120}, std::pair{0, 120}}) {
        SCOPED_TRACE(std::to_string(count) + " at " + std::to_string(dpi));
        if (dpi != window.Dpi()) {
            RECT suggested{0, 0, 800, 600};
            ::SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                           reinterpret_cast<LPARAM>(&suggested));
        }
        window.SetTileCount(count);
        RECT client{};
        RECT frame{};
        ::GetClientRect(main, &client);
        ::GetWindowRect(main, &frame);
        const Geometry area = ScaledForDpi(BenchClientArea(count), dpi);
        EXPECT_EQ(client.right,
                  std::min<LONG>(area.width, ::GetSystemMetrics(SM_CXMAXTRACK) -
                                                 (frame.right - frame.left) + client.right));
        EXPECT_EQ(client.bottom,
                  std::min<LONG>(area.height, ::GetSystemMetrics(SM_CYMAXTRACK) -
                                                  (frame.bottom - frame.top) + client.bottom));
        ASSERT_EQ(window.Tiles().size(), static_cast<std::size_t>(count));
        const Geometry panel = InClientArea(main, window.Control(ControlId::Panel_Result));
        const Geometry panel96 =
            InWindow(ControlId::Panel_Result, ResolveBenchLayout(caption, count));
        std::vector<Geometry> placed;
        for (int i = 0; i < count; ++i) {
            HWND tile = window.Tiles()[static_cast<std::size_t>(i)]->Handle();
            const Geometry g = InClientArea(main, tile);
            const Geometry grid = TileGeometry(i, count);
            EXPECT_EQ(g, ScaledForDpi(Geometry{panel96.left + grid.left, panel96.top + grid.top,
                                               grid.width, grid.height},
                                      dpi));
            EXPECT_TRUE(::GetWindowLongW(tile, GWL_STYLE) & WS_VISIBLE);
            EXPECT_EQ(Clipped(g, panel), g);
            for (const Geometry& other : placed) {
                const Geometry common = Clipped(g, other);
                EXPECT_TRUE(common.width == 0 || common.height == 0);
            }
            placed.push_back(g);
        }
        EXPECT_TRUE(count == 0 || window.TileFontsAtDpi().dpi == dpi);
    }
    ExpectLaidOutAt(window, 120);
}

// What a tile shows at its widest, in every caption, at the window's DPI: as wide as its part at
// most in the narrowest tile, its line (centred on its part, as the tile paints it) inside the
// tile and clear of the other parts' lines.
TEST(Win32Bench, TileTextsAreWholeAtTheirFonts) {
    Win32StationWindow window(::GetModuleHandleW(nullptr));
    window.SetTileCount(4);
    const TileFonts& fonts = window.TileFontsAtDpi();
    ASSERT_EQ(fonts.dpi, window.Dpi());
    const Geometry tile = ScaledForDpi(Geometry{0, 0, kTileWidth, kTileHeight}, fonts.dpi);
    const std::pair<int, std::string> widest[] = {{kTileName, "ABCDEFGH"},
                                                  {kTileProbe, "1234567890"},
                                                  {kTileCaption, "请放入电路板"},
                                                  {kTileCaption, "请扫描条码"},
                                                  {kTileCaption, "Working"},
                                                  {kTileElapsed, "300 s"},
                                                  {kTileError, "ERROR: gjpqy"},
                                                  {kTileLabel, "SN-2026-000001"},
                                                  {kTileCounts, "PASS 9999  FAIL 999  90.9%"}};
    const TileParts parts = TilePartsFor(kTileWidth);  // the narrowest tile
    std::vector<std::pair<int, Geometry>> lines;
    for (const auto& [part, text] : widest) {
        const HFONT font = fonts.fonts[static_cast<std::size_t>(part)].get();
        const SIZE size = TextSize(font, os::win32::Widen(text));
        const Geometry place = ScaledForDpi(TileTextPart(parts, part).geometry, fonts.dpi);
        EXPECT_LE(size.cx, place.width) << text << " at " << fonts.dpi;
        EXPECT_EQ(FontHeight(font), ScaledForDpi(TileTextPart(parts, part).font.height, fonts.dpi));
        const Geometry line{place.left, place.top + (place.height - size.cy) / 2, place.width,
                            size.cy};
        EXPECT_EQ(Clipped(line, tile), line) << text << " at " << fonts.dpi;
        for (const auto& [otherPart, other] : lines) {
            const Geometry common = Clipped(line, other);
            EXPECT_TRUE(part == otherPart || common.width == 0 || common.height == 0)
                << text << " over part " << otherPart << " at " << fonts.dpi;
        }
        lines.emplace_back(part, line);
    }
}

// Runs the messages of this thread until done, waiting on them, for at most a minute.
template <class Done>
bool DispatchUntil(Done done) {
    const ULONGLONG deadline = ::GetTickCount64() + 60000;
    while (!done()) {
        if (::GetTickCount64() > deadline) {
            return false;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return true;
}

// Four fixtures through the window's messages: 开始 presses the panel and turns the tool buttons
// off (the focus on one of them goes to 开始), the fixtures' posts reach the tiles (PASS) and turn
// them on again after the last run; a click on a tile selects it, while they run too.
TEST(Win32Bench, PressesTheBenchAndSelectsAClickedTile) {
    test_support::StationFolder station;
    std::string ini = station.Read("config.ini");
    std::string serials;
    for (int n = 1; n <= 4; ++n) {
        const std::string probe = std::to_string(682000000 + n);
        ini += "[fixture" + std::to_string(n) + "]\r\nprobe=" + probe + "\r\n";
        serials += (n > 1 ? "," : "") + probe;
    }
    station.Write("config.ini", ini);
    station.SetStandIn("serial=" + serials + "\ndelay_ms=300\n");
    log4me::Start(station.Path());
    {
        Win32StationWindow window(::GetModuleHandleW(nullptr), station.Path() + "romtool.exe");
        window.Form().FormCreate();
        ASSERT_EQ(window.Tiles().size(), 4u);
        window.Show();
        ::PostQuitMessage(0);  // after the first refresh, which Show posted
        window.RunMessageLoop();
        EXPECT_EQ(window.Tiles()[3]->Shown().caption, "Ready");
        EXPECT_EQ(window.Tiles()[3]->Shown().probe, "682000004");

        HWND tool = window.Control(ControlId::Button_GetJlink);
        ::SetFocus(tool);
        ::SendMessageW(window.Control(ControlId::Button_Start), BM_CLICK, 0, 0);
        EXPECT_FALSE(::IsWindowEnabled(tool));
        EXPECT_EQ(::GetFocus(), window.Control(ControlId::Button_Start));  // not lost
        // The window takes clicks while the fixtures run.
        ::SendMessageW(window.Tiles()[1]->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
        EXPECT_TRUE(window.Tiles()[1]->Shown().selected);
        EXPECT_EQ(window.Tiles()[1]->Shown().caption, "Working");
        ASSERT_TRUE(DispatchUntil([&] { return ::IsWindowEnabled(tool) != FALSE; }));
        for (const auto& tile : window.Tiles()) {
            EXPECT_EQ(tile->Shown().caption, "PASS");
        }
        ::SendMessageW(window.Tiles()[2]->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(window.Tiles()[i]->Shown().selected, i == 2) << i;
        }
    }
    log4me::Stop();
}

}  // namespace
