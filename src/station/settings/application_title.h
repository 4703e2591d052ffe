// The application title, derived once from the executable's file name.
#pragma once

#include <string>

namespace station {

// What follows the path's last folder break, cut at its first ".", with every character after the
// first lower-cased: "RomTool.Station.exe" gives "Romtool", "romtool.exe" gives "romtool".
std::string ApplicationTitle(const std::string& executablePath);

}  // namespace station
