// Text and fonts as the Qt window shows what the station gives it.
#pragma once

#include <QFont>
#include <QString>
#include <string>
#include <string_view>

#include "station/form/station_view.h"

namespace shell {

inline QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string Utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

// The text as a Qt text widget shows it: every CR LF, and a CR on its own, becomes one LF.
QString DisplayText(const std::string& text);

// The font of the given family whose cell (ascent plus descent) is cellHeight pixels high, the
// nearest a pixel size gives: what a Windows font with a positive height of cellHeight is.
QFont FontWithCellHeight(const QString& family, int cellHeight);

// The Qt font for a layout font: a negative height is the pixel size, a positive one the cell.
QFont QtFont(const station::FontSpec& layoutFont);

}  // namespace shell
