// The window's fixed layout as data: every control with its name, kind, parent, caption,
// geometry, font, colour, tab order and handler. Each window toolkit builds itself from it.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "station/form/form_handler.h"
#include "station/form/station_view.h"

namespace shell {

enum class ControlKind { kGroupBox, kLabel, kButton, kEdit, kPanel, kMemo, kCheckBox };

// How a control takes its place in its parent: at the given position, or aligned (stacked from
// the top, from the bottom, or filling what is left), in table order.
enum class Align { kNone, kTop, kBottom, kClient };

// The controls, in table order. RomForm stands for the window itself, as a parent.
enum class ControlId {
    RomForm,
    GroupBox_Jlink,
    Label_SN1,
    Label_SN,
    Button_GetJlink,
    GroupBox_Hex,
    Edit_Hex,
    Button_Select,
    Button_CRC,
    GroupBox_Para,
    Edit_Para,
    Button_Help,
    GroupBox_Output,
    Panel_Result,
    Memo_Output,
    Panel1_Exec,
    cb_erase,
    Button_Start,
    Label1,
    Button_Exit,
    Label_Elapsed,
    Label_NextSerial,
    Label_Counts,
    Label_Database,
    Label_BoardLabel,
    Edit_BoardLabel,
};

// Left, top, width, height in pixels at 96 pixels per inch, inside the parent's client area.
struct Geometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend constexpr bool operator==(const Geometry& a, const Geometry& b) {
        return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
    }
};

struct ControlSpec {
    ControlId id;
    std::string_view name;
    ControlKind kind;
    ControlId parent;
    std::string_view caption;  // a label's or button's text, a group's title; "&" marks the
                               // mnemonic of a button
    Align align = Align::kNone;
    // Aligned controls use only the height (kTop, kBottom) or nothing (kClient). A label's
    // width and height of 0 mean: as large as its text.
    Geometry geometry;
    std::optional<station::FontSpec> font{};  // none: the window's font
    std::optional<station::Rgb> colour{};     // the text colour; none: the system's
    int tabOrder = -1;                        // among the parent's children; -1: not a tab stop
    station::FormHandler handler = nullptr;   // what a click runs
    bool checked = false;                     // a check box's state at start
    bool hidden = false;  // shown only when the station asks for it (StationView says when)
};

struct FormSpec {
    std::string_view name;
    std::string_view className;
    std::string_view caption;
    int clientWidth;
    int clientHeight;
    station::FontSpec font;
};

extern const FormSpec kRomForm;
// Every control except RomForm, in table order: parents before their children.
extern const std::array<ControlSpec, 25> kLayout;

// The table entry of a control.
const ControlSpec& LayoutEntry(ControlId id);

// Every control's geometry inside its parent, indexed by ControlId, with the aligned controls
// placed. groupCaptionHeight: how far a group box's caption pushes its aligned children down,
// measured by the toolkit in the window's font (what the text height of "0" is).
std::vector<Geometry> ResolveLayout(int groupCaptionHeight);
// A control's geometry in the window's client area, from the resolved layout.
Geometry InWindow(ControlId id, const std::vector<Geometry>& resolved);
// What control id's parent lets its children cover, in the parent's coordinates: a group box's
// inside, within its frame and below its caption; a panel's or the window's whole area. A child
// shows only what lies in it, as a window clips its children.
Geometry ParentArea(ControlId id, const std::vector<Geometry>& resolved, int groupCaptionHeight);
// A geometry in control id's parent's coordinates, moved into the window's client area.
Geometry ParentToWindow(ControlId id, Geometry g, const std::vector<Geometry>& resolved);
// The part of g that lies in bounds; empty (width or height 0) when none does.
Geometry Clipped(const Geometry& g, const Geometry& bounds);

// A length of the layout, which counts pixels at 96 DPI, at dpi pixels per inch: rounded to the
// nearest pixel, halves away from zero, as the system's MulDiv does.
int ScaledForDpi(int length, int dpi);
// A geometry at dpi: its edges scaled, so that controls that meet at 96 DPI meet at every DPI.
Geometry ScaledForDpi(const Geometry& g, int dpi);

// The bench (config.ini names fixtures): a grid of tiles takes Panel_Result's place, the
// window grown to hold it; everything else stays where the one-fixture layout has it. At every
// fixture count the whole window (its frame and title bar too) fits the work area of a 1920 x
// 1080 screen at 150 % and of a 1366 x 768 screen at 100 %: the tiles are wide and low, and a
// grid narrower than the one-fixture window stretches its tiles to the panel's width.
struct TileGrid {
    int rows = 0;
    int columns = 0;
};
// The grid for count tiles (1 to 8): 1x1, 1x2, 2x2 (3, 4), 2x3 (5, 6), 2x4 (7, 8).
TileGrid BenchGrid(int count);
// The window's client size with count tiles; kRomForm's for 0.
Geometry BenchClientArea(int count);
// ResolveLayout with count tiles: the window as BenchClientArea, Panel_Result as tall as the
// grid; the same as ResolveLayout for 0.
std::vector<Geometry> ResolveBenchLayout(int groupCaptionHeight, int count);
// Tile index's (0-based, row by row) place in Panel_Result, with count tiles.
Geometry TileGeometry(int index, int count);

// A tile's parts, in the tile's own coordinates, the same in every tile of a grid. Two columns:
// the name, the state and the last error line at the left, the probe, the seconds and the
// progress bar at the right; the label and the counts share the last line.
struct TilePart {
    Geometry geometry;
    station::FontSpec font;
};
struct TileParts {
    TilePart name;       // the fixture's name, bold
    TilePart probe;      // its probe's serial, right of the name
    TilePart caption;    // the state in the verdict's words, large and bold
    TilePart elapsed;    // the seconds a run has run, right of the state
    Geometry progress;   // the run's progress bar, under the seconds
    TilePart errorLine;  // the last ERROR: line after a FAIL, in red
    TilePart label;      // the board's label
    TilePart counts;     // the fixture's counts today, right of the label
};
// The parts of a tile width pixels wide (at 96 DPI; kTileWidth at least).
TileParts TilePartsFor(int width);
// The narrowest tile, where the grid is wider than the one-fixture window.
inline constexpr int kTileWidth = 304;
inline constexpr int kTileHeight = 116;
inline constexpr int kTileGap = 6;

// The controls the Tab key visits, in order: the window's children by tab order, each group's
// or panel's own children by theirs where the group stands.
std::vector<ControlId> TabSequence();

}  // namespace shell
