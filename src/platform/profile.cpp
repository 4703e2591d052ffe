#include "platform/profile.h"

#include <utility>

#include "platform/text.h"

namespace os {

TitledSetting GetTitledSetting(const std::string& section, const std::string& key,
                               const std::string& title, const std::string& iniPath) {
    for (const std::string& name : {key + "." + title, key}) {
        std::string value(TrimmedOf(GetProfileString(section, name, "", iniPath), " \t"));
        if (!value.empty()) {
            return {name, std::move(value)};
        }
    }
    return {key, ""};
}

}  // namespace os
