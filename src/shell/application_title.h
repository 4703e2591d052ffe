// The application title, derived once from the executable's file name.
#pragma once

#include <QString>
#include <string>

// What follows the path's last folder break, cut at its first ".", with every character after the
// first lower-cased: "RomTool.Station.exe" gives "Romtool", "romtool.exe" gives "romtool".
QString ApplicationTitle(const std::string& executablePath);
