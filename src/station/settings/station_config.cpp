#include "station/settings/station_config.h"

#include <cstdint>

#include "platform/profile.h"
#include "platform/text.h"
#include "station/settings/setting_values.h"
#include "tool/serials.h"

namespace station {

namespace {

constexpr std::uint64_t kLongestWaitMs = 60000;

// The milliseconds of key into ms, left as they are when the key is not set; false after
// config's problem was set when the value is no number of milliseconds up to kLongestWaitMs.
bool ReadMilliseconds(const std::string& configPath, const std::string& title, const char* key,
                      std::chrono::milliseconds& ms, StationConfig& config) {
    const os::TitledSetting setting = os::GetTitledSetting("station", key, title, configPath);
    if (setting.value.empty()) {
        return true;
    }
    const std::optional<std::uint64_t> value = os::DecimalNumber(setting.value);
    if (!value || *value > kLongestWaitMs) {
        config.problem = SettingProblem(
            "station", setting, "不是0到" + std::to_string(kLongestWaitMs) + "之间的毫秒数");
        return false;
    }
    ms = std::chrono::milliseconds(*value);
    return true;
}

void ReadAutostart(const std::string& configPath, const std::string& title, StationConfig& config) {
    const os::TitledSetting on = os::GetTitledSetting("station", "autostart", title, configPath);
    const std::optional<bool> value = ReadSwitch("station", on, config.problem);
    if (!value) {
        return;
    }
    config.autostart = *value;
    if (ReadMilliseconds(configPath, title, "autostart_settle_ms", config.autostartSettle,
                         config)) {
        ReadMilliseconds(configPath, title, "autostart_absent_ms", config.autostartAbsent, config);
    }
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
