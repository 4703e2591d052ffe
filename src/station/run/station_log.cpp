#include "station/run/station_log.h"

#include "log4me/log4me.h"
#include "platform/text.h"

namespace station {

void LogInfoText(const std::string& text) {
    log4me::LogInfo(os::ToAnsi(text));
}

void LogErrorText(const std::string& text) {
    log4me::LogError(os::ToAnsi(text));
}

}  // namespace station
