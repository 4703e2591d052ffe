// The pieces of a verdict that do not need the window.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

inline const QColor kVerdictGreen{0, 255, 0};
inline const QColor kVerdictRed{255, 0, 0};

// The text with line added as its new last line: when the text is empty or ends with a line
// break, line and CR LF are added; otherwise CR LF and line, with nothing after it.
QString WithLastLine(const QString& text, const QString& line);

// The text as a Qt text widget shows it: every CR LF, and a CR on its own, becomes one LF.
QString DisplayText(const QString& text);

// The font of the given family whose cell (ascent plus descent) is cellHeight pixels high, the
// nearest a pixel size gives: what a Windows font with a positive height of cellHeight is.
QFont FontWithCellHeight(const QString& family, int cellHeight);

// The verdict font: "宋体", bold italic, cell height 72 pixels.
QFont VerdictFont();
