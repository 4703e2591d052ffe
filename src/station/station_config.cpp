#include "station_config.h"

#include "profile.h"
#include "serials.h"
#include "text.h"

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
