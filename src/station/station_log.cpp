#include "station_log.h"

#include "log4me.h"
#include "text.h"

void LogInfoText(const std::string& text) {
    log4me::LogInfo(os::ToAnsi(text));
}

void LogErrorText(const std::string& text) {
    log4me::LogError(os::ToAnsi(text));
}
