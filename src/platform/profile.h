// Profile strings: values of Windows INI files, as the station reads config.ini.
#pragma once

#include <string>
#include <string_view>

namespace os {

// What GetPrivateProfileStringW returns for section, key and default from the INI file at
// iniPath (a 2048-character buffer): the value, or the default when the file, the section or
// the key is missing. On Windows it is that call; elsewhere ReadProfileString over the file,
// read in pieces and no further than the answer needs.
std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue, const std::string& iniPath);

// A value of config.ini that may be given per application title: "<key>.<title>" wins over
// "<key>". value is trimmed of blanks and tabs; an empty value counts as not given.
struct TitledSetting {
    std::string key;    // the key it was found under; key itself when neither is given
    std::string value;  // "" when neither is given
};
TitledSetting GetTitledSetting(const std::string& section, const std::string& key,
                               const std::string& title, const std::string& iniPath);

// The reader behind GetProfileString on platforms without the profile call, given the file's
// bytes. Public so that both platforms test it against the same table.
std::string ReadProfileString(std::string_view fileBytes, const std::string& section,
                              const std::string& key, const std::string& defaultValue);

}  // namespace os
