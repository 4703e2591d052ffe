// The layout table both windows are built from.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>

#include "shell/layout_table.h"

using namespace shell;

using ::testing::ElementsAre;

void PrintTo(const Geometry& g, std::ostream* out) {
    *out << "{" << g.left << ", " << g.top << ", " << g.width << ", " << g.height << "}";
}

namespace {

TEST(LayoutTable, PlacesTheAlignedControlsInTheWindow) {
    const std::vector<Geometry> layout = ResolveLayout(13);
    const auto at = [&](ControlId id) { return InWindow(id, layout); };
    EXPECT_EQ(at(ControlId::GroupBox_Jlink), (Geometry{0, 0, 704, 73}));
    EXPECT_EQ(at(ControlId::GroupBox_Hex), (Geometry{0, 73, 704, 80}));
    EXPECT_EQ(at(ControlId::GroupBox_Para), (Geometry{0, 153, 704, 80}));
    EXPECT_EQ(at(ControlId::GroupBox_Output), (Geometry{0, 233, 704, 208}));
    EXPECT_EQ(at(ControlId::Panel1_Exec), (Geometry{0, 441, 704, 50}));
    // Inside the output group, below its caption: the verdict, then the text area to the end.
    EXPECT_EQ(at(ControlId::Panel_Result), (Geometry{2, 233 + 15, 700, 102}));
    EXPECT_EQ(at(ControlId::Memo_Output), (Geometry{2, 233 + 15 + 102, 700, 208 - 15 - 2 - 102}));
    EXPECT_EQ(at(ControlId::Button_Select), (Geometry{535, 73 + 31, 46, 25}));
    EXPECT_EQ(at(ControlId::Button_Start), (Geometry{277, 441 + 6, 161, 31}));
    EXPECT_EQ(at(ControlId::Label_SN), (Geometry{86, 31, 0, 0}));  // sized to its text
}

TEST(LayoutTable, TabsThroughTheGroupsFromTopToBottom) {
    using Id = ControlId;
    EXPECT_THAT(TabSequence(),
                ElementsAre(Id::Button_GetJlink, Id::Edit_Hex, Id::Button_CRC, Id::Button_Select,
                            Id::Edit_BoardLabel, Id::Edit_Para, Id::Button_Help, Id::Memo_Output,
                            Id::Button_Start, Id::Button_Exit, Id::cb_erase));
    for (const ControlSpec& entry : kLayout) {
        EXPECT_EQ(&LayoutEntry(entry.id), &entry) << entry.name;
    }
}

TEST(LayoutTable, ScalesByEdgesSoWhatMeetsOrHoldsAt96DpiStillDoes) {
    EXPECT_EQ(ScaledForDpi(Geometry{0, 0, 704, 491}, 144), (Geometry{0, 0, 1056, 737}));
    EXPECT_EQ(ScaledForDpi(Geometry{0, 0, 704, 491}, 120), (Geometry{0, 0, 880, 614}));
    EXPECT_EQ(ScaledForDpi(Geometry{1, 1, 1, 1}, 144), (Geometry{2, 2, 1, 1}));
    EXPECT_EQ(ScaledForDpi(-11, 144), -17);
    const std::vector<Geometry> layout = ResolveLayout(13);
    for (const int dpi : {96, 120, 144, 192}) {
        for (const ControlSpec& a : kLayout) {
            const Geometry a96 = InWindow(a.id, layout);
            const Geometry aDpi = ScaledForDpi(a96, dpi);
            for (const ControlSpec& b : kLayout) {
                const Geometry b96 = InWindow(b.id, layout);
                const Geometry bDpi = ScaledForDpi(b96, dpi);
                if (a96.top + a96.height == b96.top) {
                    EXPECT_EQ(aDpi.top + aDpi.height, bDpi.top) << a.name << " " << b.name << dpi;
                }
                if (a96.left + a96.width == b96.left) {
                    EXPECT_EQ(aDpi.left + aDpi.width, bDpi.left) << a.name << " " << b.name << dpi;
                }
                if (Clipped(b96, a96) == b96) {
                    EXPECT_EQ(Clipped(bDpi, aDpi), bDpi) << a.name << " holds " << b.name << dpi;
                }
            }
        }
    }
}

TEST(LayoutTable, ChildrenAreClippedToTheirParentsInside) {
    const std::vector<Geometry> layout = ResolveLayout(13);
    // A group's inside: within its 2-pixel frame, below its caption.
    const Geometry group = ParentArea(ControlId::Label_SN, layout, 13);
    EXPECT_EQ(group, (Geometry{2, 15, 700, 56}));
    EXPECT_EQ(ParentToWindow(ControlId::Edit_Hex, group, layout), (Geometry{2, 88, 700, 56}));
    // Four lines of a serial label stop at the frame; one long line at the group's right edge.
    EXPECT_EQ(Clipped({86, 31, 60, 52}, group), (Geometry{86, 31, 60, 40}));
    EXPECT_EQ(Clipped({86, 31, 2000, 13}, group), (Geometry{86, 31, 616, 13}));
    EXPECT_EQ(Clipped({86, 31, 60, 13}, group), (Geometry{86, 31, 60, 13}));
    EXPECT_EQ(Clipped({710, 31, 60, 13}, group).width, 0);
    // A panel's children and the window's may cover all of it.
    EXPECT_EQ(ParentArea(ControlId::Button_Start, layout, 13), (Geometry{0, 0, 704, 50}));
    EXPECT_EQ(ParentArea(ControlId::GroupBox_Hex, layout, 13), (Geometry{0, 0, 704, 491}));
}

}  // namespace

// Every grid holds its tiles side by side inside the grown verdict panel, as wide as the panel
// lets them be, each tile's parts inside it and clear of one another; the text area keeps its
// height; no fixtures is the one-fixture layout exactly.
TEST(BenchLayout, HoldsEveryTileInsideThePanel) {
    EXPECT_EQ(ResolveBenchLayout(13, 0), ResolveLayout(13));
    const std::pair<int, TileGrid> grids[] = {{1, {1, 1}}, {2, {1, 2}}, {3, {2, 2}}, {4, {2, 2}},
                                              {5, {2, 3}}, {6, {2, 3}}, {7, {2, 4}}, {8, {2, 4}}};
    for (const auto& [count, grid] : grids) {
        SCOPED_TRACE(count);
        EXPECT_EQ(BenchGrid(count).rows, grid.rows);
        EXPECT_EQ(BenchGrid(count).columns, grid.columns);
        const std::vector<Geometry> layout = ResolveBenchLayout(13, count);
        const Geometry panel = layout[static_cast<std::size_t>(ControlId::Panel_Result)];
        const Geometry memo = InWindow(ControlId::Memo_Output, layout);
        EXPECT_EQ(memo.height, 208 - 15 - 2 - 102);  // the text area keeps its height
        EXPECT_EQ(InWindow(ControlId::Panel1_Exec, layout).top + 50, BenchClientArea(count).height);
        const Geometry rowEnd = TileGeometry(grid.columns - 1, count);
        EXPECT_GE(rowEnd.left + rowEnd.width + kTileGap, panel.width - grid.columns);  // filled
        for (int i = 0; i < count; ++i) {
            const Geometry tile = TileGeometry(i, count);
            EXPECT_EQ(Clipped(tile, {0, 0, panel.width, panel.height}), tile);
            EXPECT_GE(tile.width, kTileWidth);
            if (i > 0) {  // after the one before it, on its row or below it
                const Geometry before = TileGeometry(i - 1, count);
                EXPECT_TRUE(tile.left >= before.left + before.width ||
                            tile.top >= before.top + before.height);
            }
        }
        const TileParts parts = TilePartsFor(TileGeometry(0, count).width);
        const Geometry places[] = {parts.name.geometry,    parts.probe.geometry,
                                   parts.caption.geometry, parts.elapsed.geometry,
                                   parts.progress,         parts.errorLine.geometry,
                                   parts.label.geometry,   parts.counts.geometry};
        for (const Geometry& place : places) {
            EXPECT_EQ(Clipped(place, {0, 0, TileGeometry(0, count).width, kTileHeight}), place);
            for (const Geometry& other : places) {
                const Geometry common = Clipped(place, other);
                EXPECT_TRUE(&place == &other || common.width == 0 || common.height == 0);
            }
        }
    }
}

// The whole window, its frame and title bar too (about 16 x 39 pixels at 96 DPI), fits the work
// area of a 1920 x 1080 screen at 150 % (1600 x 900 at 125 %: the same 1280 x 680 at 96 DPI once
// the taskbar is off) and of a 1366 x 768 screen at 100 % with its 40-pixel taskbar.
TEST(BenchLayout, FitsTheWholeWindowOnASmallScreenAtEveryDpi) {
    for (int count = 1; count <= 8; ++count) {
        for (const auto& [dpi, work] :
             {std::pair{96, Geometry{0, 0, 1366, 728}}, std::pair{96, Geometry{0, 0, 1280, 680}},
              std::pair{120, Geometry{0, 0, 1600, 850}},
              std::pair{144, Geometry{0, 0, 1920, 1020}}}) {
            const Geometry client = ScaledForDpi(BenchClientArea(count), dpi);
            EXPECT_LE(client.width + ScaledForDpi(16, dpi), work.width) << count << " at " << dpi;
            EXPECT_LE(client.height + ScaledForDpi(39, dpi), work.height) << count << " at " << dpi;
        }
    }
}
