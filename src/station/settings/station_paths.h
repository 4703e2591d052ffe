// Where the station finds everything: by fixed names under the folder of the station program,
// and the image's checksum file beside the image.
#pragma once

#include <string>

namespace station {

// The paths of one station and image. UTF-8; folders end in the platform's separator.
struct StationPaths {
    std::string App_Path;     // the station folder
    std::string Bin_Path;     // App_Path + "bin": the programmer's folder and every run's
    std::string Hex_Path;     // the image in use
    std::string Hex_Name;     // its file name
    std::string CRC_Path;     // its checksum file
    std::string Log_Path;     // App_Path + "logs" (no separator at its end)
    std::string Config_Path;  // App_Path + "config.ini"
};

// The paths for the station program at executablePath and the image at hexPath; "" for the
// station's default image, "merge.hex" in its folder. The checksum file is the image's folder,
// its name without the last four characters (whatever they are: "fw.ihex" gives "fw..crc"),
// and ".crc".
StationPaths DerivePaths(const std::string& executablePath, const std::string& hexPath);

}  // namespace station
