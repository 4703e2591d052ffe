// What config.ini's section "log4me" says: the folder of the daily files and the level.
#pragma once

#include <string>

namespace log4me {

struct LogConfig {
    bool found = false;          // config.ini exists
    std::string path = "logs";   // "path" as written
    std::string level = "info";  // "level", lower-cased
    // Where the daily files go, ending in the separator: an absolute path as it stands,
    // otherwise below appFolder (the doubled separator after the folder is part of the name).
    std::string folder;
    // The same folder as a line engineer writes it, for messages: without the doubled separator
    // and the separator at its end.
    std::string shownFolder;

    bool ErrorLines() const { return level == "debug" || level == "info" || level == "error"; }
    bool InfoLines() const { return level == "debug" || level == "info"; }
};

// The configuration of the station in appFolder (ending in the separator), read now from its
// "config.ini". Without the file: the defaults, and found false (no level is enabled then).
LogConfig ReadLogConfig(const std::string& appFolder);

}  // namespace log4me
