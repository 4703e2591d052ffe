// Profile strings on Windows: the system's own call.
#include <iterator>

#include "platform/internal/win32.h"
#include "platform/paths.h"
#include "platform/profile.h"

namespace os {

using win32::Narrow;
using win32::Widen;

std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue, const std::string& iniPath) {
    // A relative name would be looked up in the Windows folder, so the path is made full.
    const std::wstring wideSection = Widen(section);
    const std::wstring wideKey = Widen(key);
    const std::wstring wideDefault = Widen(defaultValue);
    const std::wstring widePath = Widen(AbsolutePath(iniPath));
    wchar_t value[2048];
    const DWORD length =
        GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), wideDefault.c_str(), value,
                                 static_cast<DWORD>(std::size(value)), widePath.c_str());
    return Narrow(std::wstring_view(value, length));
}

}  // namespace os
