#include "core_text.h"

#include "log4me.h"
#include "os.h"

void LogInfoText(const QString& text) {
    log4me::LogInfo(os::ToAnsi(Utf8(text)));
}

void LogErrorText(const QString& text) {
    log4me::LogError(os::ToAnsi(Utf8(text)));
}
