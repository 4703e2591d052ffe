#include "station/settings/label_settings.h"

#include "platform/profile.h"
#include "platform/text.h"

namespace station {

namespace {

// yes / no as config.ini writes them; none for anything else.
std::optional<bool> YesNo(const std::string& value) {
    const std::string answer = os::AsciiLower(value);
    if (answer.empty() || answer == "no" || answer == "false" || answer == "0") {
        return false;
    }
    if (answer == "yes" || answer == "true" || answer == "1") {
        return true;
    }
    return std::nullopt;
}

std::string Problem(const os::TitledSetting& setting, const std::string& why) {
    return "config.ini的[trace]中" + setting.key + "=" + setting.value + why;
}

}  // namespace

LabelSettings ReadLabelSettings(const std::string& configPath, const std::string& title,
                                std::string& problem) {
    const auto read = [&](const char* key) {
        return os::GetTitledSetting("trace", key, title, configPath);
    };
    const os::TitledSetting on = read("label");
    const std::optional<bool> wanted = YesNo(on.value);
    if (!wanted || !*wanted) {
        if (!wanted) {
            problem = Problem(on, "不是yes或no");
        }
        return {};
    }
    LabelSettings label;
    const os::TitledSetting repeat = read("label_repeat");
    const std::optional<bool> repeatAllowed = YesNo(repeat.value);
    if (!repeatAllowed) {
        problem = Problem(repeat, "不是yes或no");
        return {};
    }
    label.repeatAllowed = *repeatAllowed;
    const os::TitledSetting pattern = read("label_pattern");
    if (!pattern.value.empty()) {
        try {
            label.regex.emplace(pattern.value, std::regex::ECMAScript);
        } catch (const std::regex_error&) {
            problem = Problem(pattern, "不是正确的正则表达式");
            return {};
        }
    }
    label.pattern = pattern.value;
    label.on = true;
    return label;
}

}  // namespace station
