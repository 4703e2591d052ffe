// The window works in QString; the core takes UTF-8 in std::string and the logger ANSI bytes.
// These convert once, at the call into the core.
#pragma once

#include <QString>
#include <string>

inline std::string Utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

inline QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// LogInfo / LogError with the text converted to the ANSI code page.
void LogInfoText(const QString& text);
void LogErrorText(const QString& text);
