#include "shell/layout_table.h"

#include "station/form/MainForm.h"

#include <algorithm>
#include <functional>

namespace shell {

using namespace station;

namespace {

using Id = ControlId;
using Kind = ControlKind;

constexpr FontSpec kLayoutVerdictFont{"宋体", -96};
constexpr FontSpec kMemoFont{"Tahoma", -14};

// What a container placed at g lets its children cover, in its own coordinates: a group's
// children sit inside its frame, below its caption.
Geometry ChildArea(const ControlSpec& container, const Geometry& g, int groupCaptionHeight) {
    if (container.kind == ControlKind::kGroupBox) {
        return {2, groupCaptionHeight + 2, g.width - 4, g.height - groupCaptionHeight - 4};
    }
    return {0, 0, g.width, g.height};
}

}  // namespace

const FormSpec kRomForm{"RomForm", "TRomForm", "NRF系列芯片ROM烧写工具 V1.0（限内部使用） ",
                        704,       491,        {"Tahoma", -11}};

// clang-format off
const std::array<ControlSpec, 25> kLayout{{
    {Id::GroupBox_Jlink, "GroupBox_Jlink", Kind::kGroupBox, Id::RomForm, "Jlink信息", Align::kTop, {0, 0, 0, 73}, {}, {}, 0},
    {Id::Label_SN1, "Label_SN1", Kind::kLabel, Id::GroupBox_Jlink, "序列号：", Align::kNone, {32, 31, 0, 0}},
    {Id::Label_SN, "Label_SN", Kind::kLabel, Id::GroupBox_Jlink, "00000", Align::kNone, {86, 31, 0, 0}},
    {Id::Button_GetJlink, "Button_GetJlink", Kind::kButton, Id::GroupBox_Jlink, "刷新信息", Align::kNone, {608, 26, 75, 25}, {}, {}, 0, &TRomForm::Button_GetJlinkClick},
    {Id::GroupBox_Hex, "GroupBox_Hex", Kind::kGroupBox, Id::RomForm, "HEX文件", Align::kTop, {0, 0, 0, 80}, {}, {}, 1},
    {Id::Edit_Hex, "Edit_Hex", Kind::kEdit, Id::GroupBox_Hex, "", Align::kNone, {32, 32, 497, 21}, {}, {}, 0},
    {Id::Button_Select, "Button_Select", Kind::kButton, Id::GroupBox_Hex, "选择", Align::kNone, {535, 31, 46, 25}, {}, {}, 2, &TRomForm::Button_SelectClick},
    {Id::Button_CRC, "Button_CRC", Kind::kButton, Id::GroupBox_Hex, "写入校验", Align::kNone, {608, 32, 79, 25}, {}, {}, 1, &TRomForm::Button_CRCClick},
    {Id::GroupBox_Para, "GroupBox_Para", Kind::kGroupBox, Id::RomForm, "参数", Align::kTop, {0, 0, 0, 80}, {}, {}, 2},
    {Id::Edit_Para, "Edit_Para", Kind::kEdit, Id::GroupBox_Para, "", Align::kNone, {32, 32, 537, 21}, {}, {}, 0},
    {Id::Button_Help, "Button_Help", Kind::kButton, Id::GroupBox_Para, "参数列表", Align::kNone, {607, 27, 79, 25}, {}, {}, 1, &TRomForm::Button_HelpClick},
    {Id::GroupBox_Output, "GroupBox_Output", Kind::kGroupBox, Id::RomForm, "输出", Align::kTop, {0, 0, 0, 208}, {}, {}, 3},
    {Id::Panel_Result, "Panel_Result", Kind::kPanel, Id::GroupBox_Output, "--", Align::kTop, {0, 0, 0, 102}, kLayoutVerdictFont, kVerdictGreen, 1},
    {Id::Memo_Output, "Memo_Output", Kind::kMemo, Id::GroupBox_Output, "", Align::kClient, {}, kMemoFont, {}, 0},
    {Id::Panel1_Exec, "Panel1_Exec", Kind::kPanel, Id::RomForm, "", Align::kBottom, {0, 0, 0, 50}, {}, {}, 4},
    {Id::cb_erase, "cb_erase", Kind::kCheckBox, Id::Panel1_Exec, "烧写前先执行擦除", Align::kNone, {96, 12, 129, 17}, {}, {}, 2, nullptr, true},
    {Id::Button_Start, "Button_Start", Kind::kButton, Id::Panel1_Exec, "开始(&S)", Align::kNone, {277, 6, 161, 31}, {}, {}, 0, &TRomForm::Button_StartClick},
    {Id::Label1, "Label1", Kind::kLabel, Id::Panel1_Exec, "1.2.0", Align::kNone, {456, 16, 0, 0}},
    {Id::Button_Exit, "Button_Exit", Kind::kButton, Id::Panel1_Exec, "退出", Align::kNone, {608, 7, 75, 25}, {}, {}, 1, &TRomForm::Button_ExitClick},
    // The running tool's elapsed seconds and progress, under the version and the exit button,
    // where their widest text has room; empty unless a run is going on.
    {Id::Label_Elapsed, "Label_Elapsed", Kind::kLabel, Id::Panel1_Exec, "", Align::kNone, {456, 33, 0, 0}},
    // The serial number the next board gets, under the command; empty unless config.ini gives
    // the station a range.
    {Id::Label_NextSerial, "Label_NextSerial", Kind::kLabel, Id::GroupBox_Para, "", Align::kNone, {32, 58, 0, 0}},
    // This station's counts for the day, under the image.
    {Id::Label_Counts, "Label_Counts", Kind::kLabel, Id::GroupBox_Hex, "", Align::kNone, {32, 58, 0, 0}},
    // The factory database's state, beside the next serial number; empty unless config.ini
    // names a database.
    {Id::Label_Database, "Label_Database", Kind::kLabel, Id::GroupBox_Para, "", Align::kNone, {200, 58, 0, 0}},
    // The board's label, scanned or typed, right of the counts; shown only when config.ini asks
    // for labels. Enter in it presses start.
    {Id::Label_BoardLabel, "Label_BoardLabel", Kind::kLabel, Id::GroupBox_Hex, "标签：", Align::kNone, {330, 59, 0, 0}, {}, {}, -1, nullptr, false, true},
    {Id::Edit_BoardLabel, "Edit_BoardLabel", Kind::kEdit, Id::GroupBox_Hex, "", Align::kNone, {368, 56, 213, 21}, {}, {}, 3, &TRomForm::Edit_BoardLabelReturn, false, true},
}};
// clang-format on

const ControlSpec& LayoutEntry(ControlId id) {
    return kLayout[static_cast<std::size_t>(id) - 1];
}

std::vector<Geometry> ResolveLayout(int groupCaptionHeight) {
    return ResolveBenchLayout(groupCaptionHeight, 0);
}

TileGrid BenchGrid(int count) {
    if (count <= 0) {
        return {0, 0};
    }
    if (count <= 2) {
        return {1, count};
    }
    return {2, std::min((count + 1) / 2, 4)};
}

namespace {

int GridExtent(int tiles, int tileLength) {
    return tiles * tileLength + (tiles + 1) * kTileGap;
}

constexpr int kVerdictPanelHeight = 102;

bool GrowsWithTheGrid(ControlId id) {
    return id == ControlId::GroupBox_Output || id == ControlId::Panel_Result;
}

}  // namespace

Geometry BenchClientArea(int count) {
    if (count <= 0) {
        return {0, 0, kRomForm.clientWidth, kRomForm.clientHeight};
    }
    const TileGrid grid = BenchGrid(count);
    // The group box's frame takes 2 pixels on either side of the panel.
    const int width = std::max(kRomForm.clientWidth, GridExtent(grid.columns, kTileWidth) + 4);
    const int height =
        kRomForm.clientHeight + GridExtent(grid.rows, kTileHeight) - kVerdictPanelHeight;
    return {0, 0, width, height};
}

Geometry TileGeometry(int index, int count) {
    const TileGrid grid = BenchGrid(count);
    const int row = index / grid.columns;
    const int column = index % grid.columns;
    // The panel's width, within the group box's frame, shared by the columns.
    const int panel = BenchClientArea(count).width - 4;
    const int width = (panel - (grid.columns + 1) * kTileGap) / grid.columns;
    return {kTileGap + column * (width + kTileGap), kTileGap + row * (kTileHeight + kTileGap),
            width, kTileHeight};
}

TileParts TilePartsFor(int width) {
    // The right column's left edge: the state's column has the rest, room for "请放入电路板".
    const int right = width - 88;
    const int countsWidth = 172;  // "PASS 9999  FAIL 999  90.9%"
    return {
        {{8, 4, width - 136, 22}, {"Tahoma", -18, true}},
        {{width - 120, 7, 112, 18}, {"Tahoma", -13}},
        {{8, 30, right - 16, 44}, {"宋体", -32, true}},
        {{right, 32, 80, 20}, {"Tahoma", -16}},
        {right, 58, 80, 8},
        {{8, 76, width - 16, 16}, {"Tahoma", -12}},
        {{8, 96, width - 20 - countsWidth, 16}, {"Tahoma", -12}},
        {{width - 8 - countsWidth, 96, countsWidth, 16}, {"Tahoma", -12}},
    };
}

std::vector<Geometry> ResolveBenchLayout(int groupCaptionHeight, int count) {
    std::vector<Geometry> placed(kLayout.size() + 1);
    placed[0] = BenchClientArea(count);
    // The grid's height over the verdict panel's goes to the panel and to the group around it.
    const int taller = placed[0].height - kRomForm.clientHeight;
    // What each parent has left for its aligned children, in its own coordinates.
    std::vector<Geometry> room(placed.size());
    room[0] = placed[0];
    for (const ControlSpec& entry : kLayout) {
        const auto index = static_cast<std::size_t>(entry.id);
        Geometry& left = room[static_cast<std::size_t>(entry.parent)];
        Geometry& g = placed[index];
        switch (entry.align) {
            case Align::kNone:
                g = entry.geometry;
                break;
            case Align::kTop:
                g = {left.left, left.top, left.width,
                     entry.geometry.height + (GrowsWithTheGrid(entry.id) ? taller : 0)};
                left.top += g.height;
                left.height -= g.height;
                break;
            case Align::kBottom:
                g = {left.left, left.top + left.height - entry.geometry.height, left.width,
                     entry.geometry.height};
                left.height -= g.height;
                break;
            case Align::kClient:
                g = left;
                left.height = 0;
                break;
        }
        room[index] = ChildArea(entry, g, groupCaptionHeight);
    }
    return placed;
}

Geometry InWindow(ControlId id, const std::vector<Geometry>& resolved) {
    return ParentToWindow(id, resolved[static_cast<std::size_t>(id)], resolved);
}

Geometry ParentArea(ControlId id, const std::vector<Geometry>& resolved, int groupCaptionHeight) {
    const ControlId parent = LayoutEntry(id).parent;
    const Geometry& placed = resolved[static_cast<std::size_t>(parent)];
    if (parent == ControlId::RomForm) {
        return {0, 0, placed.width, placed.height};
    }
    return ChildArea(LayoutEntry(parent), placed, groupCaptionHeight);
}

Geometry ParentToWindow(ControlId id, Geometry g, const std::vector<Geometry>& resolved) {
    for (ControlId parent = LayoutEntry(id).parent; parent != ControlId::RomForm;
         parent = LayoutEntry(parent).parent) {
        g.left += resolved[static_cast<std::size_t>(parent)].left;
        g.top += resolved[static_cast<std::size_t>(parent)].top;
    }
    return g;
}

Geometry Clipped(const Geometry& g, const Geometry& bounds) {
    const int left = std::max(g.left, bounds.left);
    const int top = std::max(g.top, bounds.top);
    const int right = std::min(g.left + g.width, bounds.left + bounds.width);
    const int bottom = std::min(g.top + g.height, bounds.top + bounds.height);
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

// As MulDiv(length, dpi, 96): rounded to the nearest pixel, halves away from zero.
int ScaledForDpi(int length, int dpi) {
    const long long scaled = static_cast<long long>(length) * dpi;
    return static_cast<int>((scaled + (scaled < 0 ? -48 : 48)) / 96);
}

Geometry ScaledForDpi(const Geometry& g, int dpi) {
    const int left = ScaledForDpi(g.left, dpi);
    const int top = ScaledForDpi(g.top, dpi);
    return {left, top, ScaledForDpi(g.left + g.width, dpi) - left,
            ScaledForDpi(g.top + g.height, dpi) - top};
}

std::vector<ControlId> TabSequence() {
    std::vector<ControlId> sequence;
    const std::function<void(ControlId)> visit = [&](ControlId parent) {
        std::vector<const ControlSpec*> children;
        for (const ControlSpec& entry : kLayout) {
            if (entry.parent == parent && entry.tabOrder >= 0) {
                children.push_back(&entry);
            }
        }
        std::sort(children.begin(), children.end(), [](const ControlSpec* a, const ControlSpec* b) {
            return a->tabOrder < b->tabOrder;
        });
        for (const ControlSpec* child : children) {
            if (child->kind == ControlKind::kGroupBox || child->kind == ControlKind::kPanel) {
                visit(child->id);  // a container is no stop of its own; its children are
            } else {
                sequence.push_back(child->id);
            }
        }
    };
    visit(ControlId::RomForm);
    return sequence;
}

}  // namespace shell
