#include "shell/qt/qt_bench_tiles.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QProgressBar>
#include <utility>

#include "shell/layout_table.h"
#include "shell/qt/qt_text.h"

namespace shell {

namespace {

QRect ToRect(const Geometry& g) {
    return {g.left, g.top, g.width, g.height};
}

enum Part { kName, kProbe, kCaption, kElapsed, kError, kLabel, kCounts };

}  // namespace

QtTile::QtTile(int index, int width, QWidget* parent, std::function<void()> clicked)
    : QFrame(parent), clicked_(std::move(clicked)) {
    const TileParts tileParts = TilePartsFor(width);
    setObjectName(QStringLiteral("Tile_%1").arg(index));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setAutoFillBackground(true);
    const TilePart* specs[] = {&tileParts.name,    &tileParts.probe,     &tileParts.caption,
                               &tileParts.elapsed, &tileParts.errorLine, &tileParts.label,
                               &tileParts.counts};
    for (int part = 0; part < 7; ++part) {
        auto* label = new QLabel(this);
        label->setTextFormat(Qt::PlainText);
        label->setGeometry(ToRect(specs[part]->geometry));
        label->setFont(QtFont(specs[part]->font));
        label->setAlignment(part == kProbe || part == kCounts ? Qt::AlignRight | Qt::AlignVCenter
                                                              : Qt::AlignLeft | Qt::AlignVCenter);
        parts_[part] = label;
    }
    QPalette red = parts_[kError]->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    parts_[kError]->setPalette(red);
    progress_ = new QProgressBar(this);
    progress_->setGeometry(ToRect(tileParts.progress));
    progress_->setRange(0, 100);
    progress_->setTextVisible(false);
    progress_->hide();
}

void QtTile::Show(const station::TileView& tile) {
    const std::string* texts[] = {&tile.name,      &tile.probe, &tile.caption, &tile.elapsed,
                                  &tile.errorLine, &tile.label, &tile.counts};
    for (int part = 0; part < 7; ++part) {
        const QString text = FromUtf8(*texts[part]);
        // A line too long for the tile ends in "…"; the text area has it whole.
        parts_[part]->setText(
            parts_[part]->fontMetrics().elidedText(text, Qt::ElideRight, parts_[part]->width()));
        parts_[part]->setToolTip(text);
    }
    QPalette caption = parts_[kCaption]->palette();
    caption.setColor(QPalette::WindowText,
                     QColor(tile.colour.red, tile.colour.green, tile.colour.blue));
    parts_[kCaption]->setPalette(caption);
    progress_->setVisible(tile.progress >= 0);
    progress_->setValue(tile.progress < 0 ? 0 : tile.progress);
    // The tile the next label goes to is lit; the selected one has a thick frame.
    QPalette back = palette();
    back.setColor(QPalette::Window, tile.awaitsLabel ? QColor(255, 244, 160) : QColor(32, 32, 32));
    back.setColor(QPalette::WindowText,
                  tile.selected ? QColor(0, 120, 215) : QColor(128, 128, 128));
    setPalette(back);
    for (int part : {kName, kProbe, kElapsed, kLabel, kCounts}) {
        QPalette text = parts_[part]->palette();
        text.setColor(QPalette::WindowText,
                      tile.awaitsLabel ? QColor(0, 0, 0) : QColor(230, 230, 230));
        parts_[part]->setPalette(text);
    }
    setLineWidth(tile.selected ? 4 : 1);
}

void QtTile::mousePressEvent(QMouseEvent* event) {
    QFrame::mousePressEvent(event);
    if (clicked_) {
        clicked_();
    }
}

}  // namespace shell
