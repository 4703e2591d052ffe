// How config.ini's values read the same in every section: a switch, and the sentence that names a
// value the station cannot use.
#pragma once

#include <optional>
#include <string>

#include "platform/profile.h"

namespace station {

// A switch's value: yes, true or 1 is on; no, false, 0 or nothing is off (letter case aside);
// none for anything else.
std::optional<bool> SwitchValue(const std::string& text);

// "config.ini的[<section>]中<key>=<value><why>": the operator's account of a value that cannot be
// used, naming the key as it was found.
std::string SettingProblem(const std::string& section, const os::TitledSetting& setting,
                           const std::string& why);

// The switch at setting: its value, or none after problem was set to why it is neither.
std::optional<bool> ReadSwitch(const std::string& section, const os::TitledSetting& setting,
                               std::string& problem);

}  // namespace station
