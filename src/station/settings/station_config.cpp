#include "station/settings/station_config.h"

#include <cstdint>

#include "platform/profile.h"
#include "platform/text.h"
#include "station/settings/setting_values.h"
#include "tool/serials.h"

namespace station {

namespace {

constexpr std::uint64_t kLongestSettleMs = 60000;

void ReadAutostart(const std::string& configPath, const std::string& title, StationConfig& config) {
    const os::TitledSetting on = os::GetTitledSetting("station", "autostart", title, configPath);
    const std::optional<bool> value = ReadSwitch("station", on, config.problem);
    if (!value) {
        return;
    }
    config.autostart = *value;
    const os::TitledSetting settle =
        os::GetTitledSetting("station", "autostart_settle_ms", title, configPath);
    if (settle.value.empty()) {
        return;
    }
    const std::optional<std::uint64_t> ms = os::DecimalNumber(settle.value);
    if (!ms || *ms > kLongestSettleMs) {
        config.problem = SettingProblem(
            "station", settle, "不是0到" + std::to_string(kLongestSettleMs) + "之间的毫秒数");
        return;
    }
    config.autostartSettle = std::chrono::milliseconds(*ms);
}

}  // namespace

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
    ReadAutostart(configPath, title, config);
    return config;
}

}  // namespace station
