// The native window: every control where the layout table puts it, scaled to the window's DPI,
// in fonts of the scaled heights; the serial label inside its group; the board's label field
// pressing start on Enter.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>

#include "log4me/log4me.h"
#include "shell/layout_table.h"
#include "shell/win32/win32_gdi.h"
#include "shell/win32/win32_station_window.h"
#include "station/check/database_texts.h"
#include "station/run/verdict.h"
#include "station_folder.h"
#include "window_checks.h"

using namespace station;
using namespace shell;

namespace {

using namespace window_checks;

// The widest state the database label shows: a Chinese system's reason, cut short.
const std::string kLongestDatabaseText = station::StatusText(
    {database::DatabaseStatus::State::kUnreachable, 99999, 999,
     "[Microsoft][ODBC 驱动程序管理器] 未发现数据源名称并且未指定默认驱动程序"});

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
// A refused label stays in view, selected: the next label typed replaces it.
TEST(Win32Window, EnterInTheLabelFieldPressesStart) {
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
        EXPECT_EQ(window.Form().State().Error_Code, 0);
        EXPECT_TRUE(::GetWindowLongW(edit, GWL_STYLE) & WS_VISIBLE);
        EXPECT_EQ(::GetFocus(), edit);

        const auto scan = [&](const wchar_t* label) {
            for (const wchar_t c : std::wstring(label)) {
                ::SendMessageW(edit, WM_CHAR, c, 1);
            }
        };
        scan(L"PCB-X");
        ::PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
        ::PostQuitMessage(0);  // after the refusal
        window.RunMessageLoop();
        EXPECT_EQ(window.LabelText(), "PCB-X");

        const int calls = station.StandInCallCount();
        scan(L"PCB-1");
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

}  // namespace
