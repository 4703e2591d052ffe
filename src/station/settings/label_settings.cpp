#include "station/settings/label_settings.h"

#include "platform/profile.h"
#include "platform/text.h"
#include "station/settings/setting_values.h"

namespace station {

LabelSettings ReadLabelSettings(const std::string& configPath, const std::string& title,
                                std::string& problem) {
    const auto read = [&](const char* key) {
        return os::GetTitledSetting("trace", key, title, configPath);
    };
    const os::TitledSetting on = read("label");
    const std::optional<bool> wanted = ReadSwitch("trace", on, problem);
    if (!wanted.value_or(false)) {
        return {};
    }
    LabelSettings label;
    const os::TitledSetting repeat = read("label_repeat");
    const std::optional<bool> repeatAllowed = ReadSwitch("trace", repeat, problem);
    if (!repeatAllowed) {
        return {};
    }
    label.repeatAllowed = *repeatAllowed;
    const os::TitledSetting database = read("label_database");
    const std::string need = os::AsciiLower(database.value);
    if (need != "" && need != "optional" && need != "required") {
        problem = SettingProblem("trace", database, "不是required或optional");
        return {};
    }
    label.databaseRequired = need == "required";
    const os::TitledSetting written = read("label_pattern");
    if (!written.value.empty()) {
        pattern::Compiled compiled = pattern::Compile(written.value);
        if (!compiled.pattern) {
            problem = SettingProblem("trace", written,
                                     "不是正确的正则表达式（" + compiled.problem + "）");
            return {};
        }
        label.matcher = std::move(compiled.pattern);
    }
    label.pattern = written.value;
    label.on = true;
    return label;
}

}  // namespace station
