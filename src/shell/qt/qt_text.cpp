#include "shell/qt/qt_text.h"

#include <QFontMetrics>
#include <QtGlobal>
#include <algorithm>

namespace shell {

using namespace station;

QString DisplayText(const std::string& text) {
    QString shown = FromUtf8(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

QFont FontWithCellHeight(const QString& family, int cellHeight) {
    QFont font(family);
    font.setPixelSize(cellHeight);
    // Fonts differ in how much of their cell the em takes; scale the pixel size (the em) so
    // that the cell comes out at the height asked for.
    const QFontMetrics metrics(font);
    const int cell = metrics.ascent() + metrics.descent();
    if (cell > 0 && cell != cellHeight) {
        font.setPixelSize(std::max(1, qRound(double(cellHeight) * cellHeight / cell)));
    }
    return font;
}

QFont QtFont(const FontSpec& layoutFont) {
    const QString family = FromUtf8(layoutFont.face);
    QFont font(family);
    if (layoutFont.height < 0) {
        font.setPixelSize(-layoutFont.height);
    } else {
        font = FontWithCellHeight(family, layoutFont.height);
    }
    font.setBold(layoutFont.bold);
    font.setItalic(layoutFont.italic);
    return font;
}

}  // namespace shell
