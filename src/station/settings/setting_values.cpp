#include "station/settings/setting_values.h"

#include "platform/text.h"

namespace station {

std::optional<bool> SwitchValue(const std::string& text) {
    const std::string answer = os::AsciiLower(text);
    if (answer.empty() || answer == "no" || answer == "false" || answer == "0") {
        return false;
    }
    if (answer == "yes" || answer == "true" || answer == "1") {
        return true;
    }
    return std::nullopt;
}

std::string SettingProblem(const std::string& section, const os::TitledSetting& setting,
                           const std::string& why) {
    return "config.ini的[" + section + "]中" + setting.key + "=" + setting.value + why;
}

std::optional<bool> ReadSwitch(const std::string& section, const os::TitledSetting& setting,
                               std::string& problem) {
    const std::optional<bool> value = SwitchValue(setting.value);
    if (!value) {
        problem = SettingProblem(section, setting, "不是yes或no");
    }
    return value;
}

}  // namespace station
