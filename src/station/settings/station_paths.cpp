#include "station/settings/station_paths.h"

#include "platform/paths.h"
#include "platform/text.h"

namespace station {

namespace {

// The text without its last count characters (UTF-8); "" when it has no more than count.
std::string WithoutLastCharacters(const std::string& text, int count) {
    std::size_t end = text.size();
    for (; count > 0 && end > 0; --count) {
        end = os::Utf8CharacterStart(text, end - 1);
    }
    return text.substr(0, end);
}

}  // namespace

StationPaths DerivePaths(const std::string& executablePath, const std::string& hexPath) {
    StationPaths paths;
    paths.App_Path = os::FolderPart(executablePath);
    paths.Hex_Path = hexPath.empty() ? paths.App_Path + "merge.hex" : hexPath;
    paths.Hex_Name = os::NamePart(paths.Hex_Path);
    paths.CRC_Path =
        os::FolderPart(paths.Hex_Path) + WithoutLastCharacters(paths.Hex_Name, 4) + ".crc";
    paths.Bin_Path = paths.App_Path + "bin" + os::kPathSeparator;
    paths.Config_Path = paths.App_Path + "config.ini";
    paths.Log_Path = paths.App_Path + "logs";
    return paths;
}

}  // namespace station
