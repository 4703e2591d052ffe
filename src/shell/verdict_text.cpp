#include "verdict_text.h"

#include <QFontMetrics>
#include <QtGlobal>
#include <algorithm>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

bool EndsWithLineBreak(const QString& text) {
    return text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'));
}

}  // namespace

QString WithLastLine(const QString& text, const QString& line) {
    if (text.isEmpty() || EndsWithLineBreak(text)) {
        return text + line + kCrLf;
    }
    return text + kCrLf + line;
}

QString DisplayText(const QString& text) {
    QString shown = text;
    shown.replace(kCrLf, QStringLiteral("\n"));
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

QFont VerdictFont() {
    QFont font = FontWithCellHeight(QStringLiteral("宋体"), 72);
    font.setBold(true);
    font.setItalic(true);
    return font;
}
