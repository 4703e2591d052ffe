#include "probe_pin.h"

#include "profile.h"
#include "serials.h"

std::optional<ProbePin> ReadProbePin(const std::string& configPath, const std::string& title) {
    for (const std::string& key : {"probe." + title, std::string("probe")}) {
        std::string value = os::GetProfileString("station", key, "", configPath);
        if (!value.empty()) {
            std::optional<std::string> serial = tool::CanonicalSerial(value);
            return ProbePin{std::move(value), std::move(serial)};
        }
    }
    return std::nullopt;
}
