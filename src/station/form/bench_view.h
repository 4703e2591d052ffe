// What the station needs of its window beyond StationView when config.ini names fixtures
// ([fixture1] ... [fixture8]): a tile per fixture, in a grid that takes Panel_Result's place
// (shell::BenchGrid gives the geometry), the selected tile's output in Memo_Output, and a way
// for the fixtures' press threads to have the window's thread paint what they did.
//
// Without a [fixtureN] section the form never calls any of it (SetTileCount(0) at most), and
// the window is the one-fixture window, unchanged.
//
// Threads: every call below is made on the window's thread, except PostBenchEvents, which the
// fixtures' press threads call. The window never waits for a press: it only paints what the
// form hands it.
//
// The window's side of the bargain (what it calls on TRomForm):
//   - before FormCreate: form.AttachBench(benchView);
//   - a click on tile i: form.TileClicked(i) (through Handle is not needed: it never runs a tool);
//   - after PostBenchEvents: form.DrainBench() on the window's thread, soon (a queued message,
//     a posted event); a second post before the drain may be merged with the first;
//   - 开始 (Alt+S), Enter in the label field, 刷新信息, 选择, 写入校验, 参数列表 and 退出 as
//     today, through Handle. While any fixture runs, Handle returns at once for 开始 and Enter
//     (the form starts threads and returns) and the buttons SetToolButtonsEnabled(false)
//     disabled are not clicked; RequestClose answers false and the form calls CloseWindow
//     after the last run ended.
//
// Text is UTF-8, as in StationView.
#pragma once

#include <string>

#include "station/run/verdict.h"

namespace station {

// What one tile shows. Every field is the whole text of its line; "" shows nothing there.
struct TileView {
    std::string name;   // the fixture's name, as [fixtureN] name= gives it (default "N")
    std::string probe;  // its probe's serial, as [fixtureN] probe= gives it
    // The state in the verdict's words: "Ready", "Working", "PASS", "FAIL", "请放入电路板",
    // "请扫描条码", or "FAIL" with a code in errorLine for a fixture its check refused.
    std::string caption;
    Rgb colour = kVerdictGreen;  // the caption's colour: the verdict's green or red
    std::string elapsed;         // while it runs: the seconds it has run ("12 s")
    int progress = -1;           // while it runs: the tool's 0 to 100; -1 shows no bar
    // After a FAIL: its last "ERROR:" line (or the code's line for a refused fixture).
    std::string errorLine;
    std::string label;         // with labels on: the board's label in flight or last pressed
    std::string counts;        // this fixture's own counts today: "PASS 12  FAIL 1  92.3%"
    bool awaitsLabel = false;  // highlighted: the next scanned label goes to this fixture
    bool selected = false;     // its output is what Memo_Output shows
};

class BenchView {
public:
    virtual ~BenchView() = default;

    // Lays the window out for count tiles (1 to 8) in place of Panel_Result, the window grown to
    // shell::BenchClientSize(count); 0 puts back the one-fixture layout exactly. Called at every
    // Init, with the same count most of the time: a call that changes nothing repaints nothing.
    virtual void SetTileCount(int count) = 0;
    // Tile index's (0-based, in [fixtureN] order) whole content; the window repaints that tile.
    virtual void ShowTile(int index, const TileView& tile) = 0;
    // 刷新信息, 选择, 写入校验 and 参数列表: disabled while any fixture runs (they query every
    // probe or change what every fixture uses), enabled again after the last run.
    virtual void SetToolButtonsEnabled(bool enabled) = 0;
    // Called from a fixture's press thread: has the window's thread call the form's DrainBench
    // soon. Thread-safe; never waits for the window, never paints.
    virtual void PostBenchEvents() = 0;
};

}  // namespace station
