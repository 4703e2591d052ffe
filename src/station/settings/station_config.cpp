#include "station/settings/station_config.h"

#include "platform/profile.h"
#include "platform/text.h"
#include "tool/serials.h"

namespace station {

StationConfig ReadStationConfig(const std::string& configPath, const std::string& title) {
    StationConfig config;
    if (os::AsciiLower(os::GetProfileString("station", "programmer", "", configPath)) ==
        "nrfutil") {
        config.programmer = Programmer::kNrfutil;
    }
    for (const std::string& key : {"probe." + title, std::string("probe")}) {
        std::string value = os::GetProfileString("station", key, "", configPath);
        if (!value.empty()) {
            std::optional<std::string> serial = tool::CanonicalSerial(value);
            config.pin = ProbePin{std::move(value), std::move(serial)};
            break;
        }
    }
    return config;
}

}  // namespace station
