// The Qt window's bench tiles: the grid in the verdict's place at every fixture count, each
// tile's texts whole at their fonts, and the one-fixture window back without fixtures.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>

#include "shell/layout_table.h"
#include "shell/qt/qt_bench_tiles.h"
#include "shell/qt/qt_station_window.h"

using namespace station;
using namespace shell;

namespace {

// The widest texts a tile shows on each line: what must never be cut.
TileView WidestTile() {
    TileView tile;
    tile.name = "ABCDEFGH";
    tile.probe = "1234567890";
    tile.caption = "请放入电路板";
    tile.elapsed = "300 s";
    tile.progress = 40;
    tile.label = "SN-2026-000001";
    tile.counts = "PASS 9999  FAIL 999  90.9%";
    tile.colour = kVerdictRed;
    tile.selected = true;
    return tile;
}

TEST(QtBench, LaysTheTilesOutInPlaceOfTheVerdictAndBack) {
    QtStationWindow window("/station/RomTool");
    for (int count : {2, 4, 6, 8, 0}) {
        SCOPED_TRACE(count);
        window.SetTileCount(count);
        const Geometry area = BenchClientArea(count);
        EXPECT_EQ(window.size(), QSize(area.width, area.height));
        ASSERT_EQ(window.Tiles().size(), static_cast<std::size_t>(count));
        const auto* panel = window.ControlAs<QLabel>(ControlId::Panel_Result);
        EXPECT_EQ(panel->text(), count == 0 ? "--" : "");
        for (int i = 0; i < count; ++i) {
            const QtTile* tile = window.Tiles()[static_cast<std::size_t>(i)];
            EXPECT_TRUE(panel->rect().contains(tile->geometry())) << i;
            window.ShowTile(i, WidestTile());
            const TileView widest = WidestTile();
            const std::string* texts[] = {&widest.name,    &widest.probe, &widest.caption,
                                          &widest.elapsed, &widest.label, &widest.counts};
            const int parts[] = {0, 1, 2, 3, 5, 6};
            for (int k = 0; k < 6; ++k) {
                EXPECT_EQ(tile->Part(parts[k])->text().toStdString(), *texts[k]) << "cut";
            }
            EXPECT_EQ(tile->Part(2)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
            EXPECT_TRUE(tile->Progress()->isVisibleTo(tile));
        }
    }
    EXPECT_EQ(window.size(), QSize(704, 491));  // the one-fixture window, exactly
}

}  // namespace
