// The Qt window's bench: the tiles in place of the verdict, the window grown for them, the tool
// buttons while fixtures run, and the fixtures' posts drained on the window's thread.
#include <QLabel>
#include <QMetaObject>

#include "shell/qt/qt_bench_tiles.h"
#include "shell/qt/qt_station_window.h"
#include "shell/qt/qt_text.h"

namespace shell {

void QtStationWindow::SetTileCount(int count) {
    if (static_cast<std::size_t>(count) == tiles_.size()) {
        return;
    }
    for (QtTile* tile : tiles_) {
        delete tile;  // owned by the panel, gone with the grid
    }
    tiles_.clear();
    layout_ = ResolveBenchLayout(captionHeight_, count);
    PlaceControls();
    const Geometry area = BenchClientArea(count);
    setFixedSize(area.width, area.height);
    CentreOnScreen(area);
    auto* panel = ControlAs<QLabel>(ControlId::Panel_Result);
    panel->setText(count > 0 ? QString() : FromUtf8(LayoutEntry(ControlId::Panel_Result).caption));
    for (int i = 0; i < count; ++i) {
        const Geometry g = TileGeometry(i, count);
        auto* tile = new QtTile(i, g.width, panel, [this, i] { form_.TileClicked(i); });
        tile->setGeometry(g.left, g.top, g.width, g.height);
        tile->show();
        tiles_.push_back(tile);
    }
}

void QtStationWindow::PlaceControls() {
    for (const ControlSpec& entry : kLayout) {
        const Geometry& g = layout_[static_cast<std::size_t>(entry.id)];
        QWidget* control = Control(entry.id);
        if (entry.kind == ControlKind::kLabel && entry.geometry.width == 0) {
            FitLabel(*control, entry.id);
        } else {
            control->setGeometry(g.left, g.top, g.width, g.height);
        }
    }
}

void QtStationWindow::ShowTile(int index, const station::TileView& tile) {
    if (index >= 0 && static_cast<std::size_t>(index) < tiles_.size()) {
        tiles_[static_cast<std::size_t>(index)]->Show(tile);
    }
}

void QtStationWindow::SetToolButtonsEnabled(bool enabled) {
    toolButtonsEnabled_ = enabled;
    for (ControlId id :
         {ControlId::Button_GetJlink, ControlId::Button_Select, ControlId::Button_Help}) {
        Control(id)->setEnabled(enabled);
    }
    Control(ControlId::Button_CRC)->setEnabled(enabled && checksumWanted_);
}

void QtStationWindow::PostBenchEvents() {
    if (drainPosted_.exchange(true)) {
        return;  // the drain already queued takes these events too
    }
    // Queued to the window's thread; a window gone meanwhile drops it with its other events.
    QMetaObject::invokeMethod(
        this,
        [this] {
            drainPosted_ = false;
            form_.DrainBench();
        },
        Qt::QueuedConnection);
}

}  // namespace shell
