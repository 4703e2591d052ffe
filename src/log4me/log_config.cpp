#include "log4me/log_config.h"

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace log4me {

LogConfig ReadLogConfig(const std::string& appFolder) {
    LogConfig config;
    const std::string ini = appFolder + "config.ini";
    config.found = os::FileExists(ini);
    if (config.found) {
        config.path = os::GetProfileString("log4me", "path", "logs", ini);
        config.level = os::AsciiLower(os::GetProfileString("log4me", "level", "info", ini));
    }
    const std::string& path = config.path;
    const bool endsInSeparator = !path.empty() && path.back() == os::kPathSeparator;
    const std::string bare = endsInSeparator ? path.substr(0, path.size() - 1) : path;
    if (os::IsAbsolutePath(path)) {
        config.folder = bare + os::kPathSeparator;
        config.shownFolder = bare;
    } else {
        config.folder = appFolder + os::kPathSeparator + bare + os::kPathSeparator;
        config.shownFolder = appFolder + bare;
    }
    return config;
}

}  // namespace log4me
