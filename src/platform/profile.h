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

// The reader behind GetProfileString on platforms without the profile call, given the file's
// bytes. Public so that both platforms test it against the same table.
std::string ReadProfileString(std::string_view fileBytes, const std::string& section,
                              const std::string& key, const std::string& defaultValue);

}  // namespace os
