// The native window: every control where the layout table puts it, scaled to the window's DPI,
// in fonts of the scaled heights; the serial label inside its group; the board's label field
// pressing start on Enter; the bench's tiles in the verdict's place, whole at their fonts,
// pressed and selected through the window's own messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "log4me/log4me.h"
#include "shell/layout_table.h"
#include "shell/win32/win32_gdi.h"
#include "shell/win32/win32_station_window.h"
#include "station/check/database_texts.h"
#include "station/run/verdict.h"
#include "station_folder.h"

using namespace station;
using namespace shell;

void PrintTo(const Geometry& g, std::ostream* out) {
    *out << "{" << g.left << ", " << g.top << ", " << g.width << ", " << g.height << "}";
}

namespace {

// The widest state the database label shows: a Chinese system's reason, cut short.
const std::string kLongestDatabaseText = station::StatusText(
    {database::DatabaseStatus::State::kUnreachable, 99999, 999,
     "[Microsoft][ODBC 驱动程序管理器] 未发现数据源名称并且未指定默认驱动程序"});

// The control's rectangle in the window's client area.
Geometry InClientArea(HWND window, HWND control) {
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

int FontHeight(HFONT font) {
    LOGFONTW description{};
    ::GetObjectW(font, sizeof description, &description);
    return description.lfHeight;
}

HFONT FontOf(HWND control) {
    return reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
}

std::wstring TextOf(HWND control) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The layout at 96 DPI, as the window resolves it.
std::vector<Geometry> Layout96() {
    return ResolveLayout(TextSize(MakeFont(kRomForm.font, 96).get(), L"0").cy);
}

// What a label may cover at dpi: its parent's inside.
Geometry LabelArea(ControlId id, int dpi) {
    const std::vector<Geometry> layout = Layout96();
    const int caption = TextSize(MakeFont(kRomForm.font, 96).get(), L"0").cy;
    return ScaledForDpi(ParentToWindow(id, ParentArea(id, layout, caption), layout), dpi);
}

void ExpectLaidOutAt(const Win32StationWindow& window, int dpi) {
    HWND main = window.Control(ControlId::RomForm);
    RECT client{};
    ::GetClientRect(main, &client);
    const Geometry size =
        ScaledForDpi(Geometry{0, 0, kRomForm.clientWidth, kRomForm.clientHeight}, dpi);
    EXPECT_EQ(client.right, size.width) << dpi;
    EXPECT_EQ(client.bottom, size.height) << dpi;
    const std::vector<Geometry> layout = Layout96();
    for (const ControlSpec& entry : kLayout) {
        HWND control = window.Control(entry.id);
        const Geometry expected = ScaledForDpi(InWindow(entry.id, layout), dpi);
        const Geometry actual = InClientArea(main, control);
        if (entry.kind == ControlKind::kLabel && entry.geometry.width == 0) {
            const SIZE text = TextSize(FontOf(control), TextOf(control));
            EXPECT_EQ(actual, Clipped({expected.left, expected.top, text.cx, text.cy},
                                      LabelArea(entry.id, dpi)))
                << entry.name << " at " << dpi;
        } else {
            EXPECT_EQ(actual, expected) << entry.name << " at " << dpi;
        }
        const FontSpec& font = entry.font ? *entry.font : kRomForm.font;
        EXPECT_EQ(FontHeight(FontOf(control)), ScaledForDpi(font.height, dpi))
            << entry.name << " at " << dpi;
    }
}

TEST(Win32Window, IsBuiltAtTheWindowsDpi) {
    Win32StationWindow window(::GetModuleHandleW(nullptr));
    // The run names the DPI it set for Wine (LogPixels), so that a run at 144 tests 144.
    if (const char* expected = std::getenv("ROMTOOL_TEST_DPI")) {
        EXPECT_EQ(window.Dpi(), std::atoi(expected));
    }
    ExpectLaidOutAt(window, window.Dpi());
    EXPECT_EQ(FontHeight(window.VerdictFont()), ScaledForDpi(-96, window.Dpi()));
}

TEST(Win32Window, FollowsADpiChangeIntoTheSuggestedRectangle) {
    Win32StationWindow window(::GetModuleHandleW(nullptr));
    HWND main = window.Control(ControlId::RomForm);
    window.SetVerdictFont(kVerdictFont, kVerdictRed);
    window.SetSerialText("682123456\r\n682654321\r\n");
    const int systemDpi = window.Dpi();
    for (const int dpi : {144, 120, systemDpi}) {
        RECT suggested{40, 30, 40 + ScaledForDpi(710, dpi), 30 + ScaledForDpi(517, dpi)};
        ::SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                       reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(window.Dpi(), dpi);
        RECT now{};
        ::GetWindowRect(main, &now);
        EXPECT_EQ(now.left, 40);
        EXPECT_EQ(now.top, 30);
        ExpectLaidOutAt(window, dpi);
        EXPECT_EQ(FontHeight(window.VerdictFont()), ScaledForDpi(kVerdictFont.height, dpi));
    }
}

// In the middle of the work area of its own monitor; a window too large for it at the top left,
// so that its caption can be reached.
TEST(Win32Window, OpensInTheMiddleOfItsMonitorsWorkArea) {
    Win32StationWindow window(::GetModuleHandleW(nullptr));
    HWND main = window.Control(ControlId::RomForm);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(::GetMonitorInfoW(::MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT& work = monitor.rcWork;
    RECT frame{};
    ::GetWindowRect(main, &frame);
    const auto expectCentred = [](LONG low, LONG high, LONG from, LONG to) {
        if (to - from <= high - low) {
            EXPECT_LE(std::abs((from - low) - (high - to)), 1) << from << " " << to;
        } else {
            EXPECT_EQ(from, low);
        }
    };
    expectCentred(work.left, work.right, frame.left, frame.right);
    expectCentred(work.top, work.bottom, frame.top, frame.bottom);
}

// The label belongs to its group box: four probes' lines stop at its frame, one long line at
// its right edge; a serial that fits is shown whole.
TEST(Win32Window, SerialLabelStaysInsideItsGroup) {
    Win32StationWindow window(::GetModuleHandleW(nullptr));
    HWND main = window.Control(ControlId::RomForm);
    HWND label = window.Control(ControlId::Label_SN);
    const Geometry area = LabelArea(ControlId::Label_SN, window.Dpi());
    for (const std::string& text :
         {std::string("682123456\r\n682654321\r\n683000001\r\n683000002\r\n"),
          "ERROR: " + std::string(300, 'x'), std::string("682123456")}) {
        window.SetSerialText(text);
        const Geometry shown = InClientArea(main, label);
        EXPECT_EQ(Clipped(shown, area), shown) << text;
        EXPECT_GT(shown.width, 0);
    }
    const SIZE whole = TextSize(FontOf(label), L"682123456");
    const Geometry shown = InClientArea(main, label);
    EXPECT_EQ(shown.width, whole.cx);
    EXPECT_EQ(shown.height, whole.cy);
}

// The station's own labels, the day's counts under the image and the next serial number under
// the command: whole, inside their groups, below the edit above them, at the window's DPI.
TEST(Win32Window, StationLabelsFitUnderTheirEdits) {
    Win32StationWindow window(::GetModuleHandleW(nullptr));
    window.SetCountsText("今日 PASS 1234  FAIL 56  良率 95.7%  周期中位 12.3 秒");
    window.SetNextSerialText("下一序列号：4294967295");
    window.SetDatabaseText(kLongestDatabaseText);
    HWND main = window.Control(ControlId::RomForm);
    for (const auto& [label, edit] : {std::pair{ControlId::Label_Counts, ControlId::Edit_Hex},
                                      std::pair{ControlId::Label_NextSerial, ControlId::Edit_Para},
                                      std::pair{ControlId::Label_Database, ControlId::Edit_Para}}) {
        const Geometry shown = InClientArea(main, window.Control(label));
        const Geometry above = InClientArea(main, window.Control(edit));
        const SIZE whole = TextSize(FontOf(window.Control(label)), TextOf(window.Control(label)));
        EXPECT_EQ(shown.width, whole.cx) << LayoutEntry(label).name;
        EXPECT_EQ(Clipped(shown, LabelArea(label, window.Dpi())), shown) << LayoutEntry(label).name;
        EXPECT_GE(shown.top, above.top + above.height) << LayoutEntry(label).name;
    }
}

// The run's seconds with the tool's progress, at their widest (a programming run's limit, a
// batch's steps): whole, inside the bottom panel, clear of its other controls, at the window's DPI.
TEST(Win32Window, ElapsedLabelFitsItsWidestText) {
    Win32StationWindow window(::GetModuleHandleW(nullptr));
    window.SetElapsedText("已运行 300 秒  步骤 12/12 100%");
    HWND main = window.Control(ControlId::RomForm);
    HWND label = window.Control(ControlId::Label_Elapsed);
    const Geometry shown = InClientArea(main, label);
    const SIZE whole = TextSize(FontOf(label), TextOf(label));
    EXPECT_EQ(shown.width, whole.cx);
    EXPECT_EQ(shown.height, whole.cy);
    EXPECT_EQ(Clipped(shown, LabelArea(ControlId::Label_Elapsed, window.Dpi())), shown);
    for (const ControlId other : {ControlId::cb_erase, ControlId::Button_Start, ControlId::Label1,
                                  ControlId::Button_Exit}) {
        const Geometry common = Clipped(shown, InClientArea(main, window.Control(other)));
        EXPECT_TRUE(common.width == 0 || common.height == 0)
            << LayoutEntry(other).name << " at " << window.Dpi();
    }
}

// The board's label field: hidden until the station asks for labels, then shown with its caption
// right of the longest counts; its text as the operator typed it, Chinese included.
TEST(Win32Window, LabelFieldShowsWhenAskedForAndKeepsItsText) {
    Win32StationWindow window(::GetModuleHandleW(nullptr));
    HWND edit = window.Control(ControlId::Edit_BoardLabel);
    HWND caption = window.Control(ControlId::Label_BoardLabel);
    EXPECT_FALSE(::GetWindowLongW(edit, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(::GetWindowLongW(caption, GWL_STYLE) & WS_VISIBLE);
    window.SetLabelVisible(true);
    EXPECT_TRUE(::GetWindowLongW(edit, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(::GetWindowLongW(caption, GWL_STYLE) & WS_VISIBLE);
    window.SetLabelText("PCB-板-0001");
    EXPECT_EQ(window.LabelText(), "PCB-板-0001");
    window.SetLabelText("");
    EXPECT_EQ(window.LabelText(), "");

    window.SetCountsText("今日 PASS 1234  FAIL 56  良率 95.7%  周期中位 12.3 秒");
    HWND main = window.Control(ControlId::RomForm);
    const Geometry counts = InClientArea(main, window.Control(ControlId::Label_Counts));
    EXPECT_LT(counts.left + counts.width, InClientArea(main, caption).left);
}

// The label field through the window's own message loop, at the window's DPI: with labels asked
// for, it shows and has the focus once the first refresh says Ready; the label typed into it and
// Enter sent as a key to it (as a scanner ends its label) press start, and the field is emptied.
TEST(Win32Window, EnterInTheLabelFieldPressesStart) {
    test_support::StationFolder station;
    station.Write("config.ini", station.Read("config.ini") + "[trace]\r\nlabel=yes\r\n");
    log4me::Start(station.Path());
    {
        Win32StationWindow window(::GetModuleHandleW(nullptr), station.Path() + "romtool.exe");
        HWND edit = window.Control(ControlId::Edit_BoardLabel);
        window.Form().FormCreate();
        window.Show();
        ::PostQuitMessage(0);  // after the first refresh, which Show posted
        window.RunMessageLoop();
        EXPECT_EQ(window.Form().State().Error_Code, 0);
        EXPECT_TRUE(::GetWindowLongW(edit, GWL_STYLE) & WS_VISIBLE);
        EXPECT_EQ(::GetFocus(), edit);

        const int calls = station.StandInCallCount();
        for (const wchar_t c : std::wstring(L"PCB-1")) {
            ::SendMessageW(edit, WM_CHAR, c, 1);
        }
        EXPECT_EQ(window.LabelText(), "PCB-1");
        ::PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
        ::PostQuitMessage(0);  // after the press
        window.RunMessageLoop();
        EXPECT_EQ(station.StandInCallCount(), calls + 2);  // the press's check and its run
        EXPECT_NE(station.StandInCalls().find("--program"), std::string::npos);
        EXPECT_EQ(window.LabelText(), "");
        EXPECT_NE(station.TodaysLog().find("LABEL=PCB-1"), std::string::npos);
    }
    log4me::Stop();
}

// A refused label stays in view, selected: the scanner's next label, typed into the field,
// replaces it instead of being appended to it, and its Enter presses start.
TEST(Win32Window, TheNextScanReplacesARefusedLabel) {
    test_support::StationFolder station;
    station.Write("config.ini", station.Read("config.ini") +
                                    "[trace]\r\nlabel=yes\r\nlabel_pattern=^PCB-[0-9]+$\r\n");
    log4me::Start(station.Path());
    {
        Win32StationWindow window(::GetModuleHandleW(nullptr), station.Path() + "romtool.exe");
        HWND edit = window.Control(ControlId::Edit_BoardLabel);
        window.Form().FormCreate();
        window.Show();
        ::PostQuitMessage(0);  // after the first refresh, which Show posted
        window.RunMessageLoop();
        for (const std::string scanned : {"PCB-X", "PCB-1"}) {
            for (const char c : scanned) {
                ::SendMessageW(edit, WM_CHAR, static_cast<WPARAM>(c), 1);
            }
            EXPECT_EQ(window.LabelText(), scanned);
            ::PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
            ::PostQuitMessage(0);  // after the press
            window.RunMessageLoop();
        }
        EXPECT_EQ(window.LabelText(), "");  // the second label was taken: its press ran
        EXPECT_NE(station.TodaysLog().find("LABEL=PCB-1"), std::string::npos);
    }
    log4me::Stop();
}

// The tiles for 2 to 8 fixtures: where the grid puts them in the verdict panel, inside it, none
// over another, the window grown as the grid needs at its DPI (as far as the system lets a
// window grow: no larger than the screen), and all of it again after a DPI change; without
// fixtures the one-fixture window, exactly.
TEST(Win32Window, LaysTheBenchsTilesOutInsideTheVerdictPanelAndBack) {
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
// most, its line (centred on its part, as the tile paints it) inside the tile and clear of the
// other parts' lines.
TEST(Win32Window, TileTextsAreWholeAtTheirFonts) {
    Win32StationWindow window(::GetModuleHandleW(nullptr));
    window.SetTileCount(4);
    const TileFonts& fonts = window.TileFontsAtDpi();
    ASSERT_EQ(fonts.dpi, window.Dpi());
    const Geometry tile = ScaledForDpi(Geometry{0, 0, kTileWidth, kTileHeight}, fonts.dpi);
    const std::pair<int, std::string> widest[] = {
        {kTileName, "ABCDEFGH"},
        {kTileProbe, "1234567890"},
        {kTileCaption, "请放入电路板"},
        {kTileCaption, "请扫描条码"},
        {kTileCaption, "Working"},
        {kTileElapsed, "已运行 300 秒  步骤 3/4 75%"},
        {kTileError, "ERROR: gjpqy"},
        {kTileLabel, "SN-2026-000001"},
        {kTileCounts, "今日 PASS 99  FAIL 9  良率 91.7%"}};
    std::vector<std::pair<int, Geometry>> lines;
    for (const auto& [part, text] : widest) {
        const HFONT font = fonts.fonts[static_cast<std::size_t>(part)].get();
        const SIZE size = TextSize(font, os::win32::Widen(text));
        const Geometry place = ScaledForDpi(TileTextPart(part).geometry, fonts.dpi);
        EXPECT_LE(size.cx, place.width) << text << " at " << fonts.dpi;
        EXPECT_EQ(FontHeight(font), ScaledForDpi(TileTextPart(part).font.height, fonts.dpi));
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
TEST(Win32Window, PressesTheBenchAndSelectsAClickedTile) {
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
