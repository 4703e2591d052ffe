// The bench's tiles in the Qt window: one frame per fixture inside the verdict panel, placed and
// lettered by the layout table's tile geometry. A click on a tile tells the form.
#pragma once

#include <QFrame>
#include <functional>

#include "station/form/bench_view.h"

class QLabel;
class QProgressBar;

namespace shell {

class QtTile final : public QFrame {
public:
    // index: the tile's place (0-based); width: the grid's tile width (its parts follow it);
    // clicked: what a click on it runs.
    QtTile(int index, int width, QWidget* parent, std::function<void()> clicked);

    void Show(const station::TileView& tile);
    // The tile's parts, for the window's tests: name, probe, caption, elapsed, error, label,
    // counts.
    QLabel* Part(int part) const { return parts_[part]; }
    QProgressBar* Progress() const { return progress_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QLabel* parts_[7]{};
    QProgressBar* progress_ = nullptr;
    std::function<void()> clicked_;
};

}  // namespace shell
