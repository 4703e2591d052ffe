// log4me: the station's daily-file logger.
//
// Lines go to <exe folder>\<path>\yyyy-mm-dd.log, with path and level read from section "log4me"
// of "config.ini" beside the executable, re-read at most once a second while lines are written.
// A line: "hh:nn:ss.zzz [error]message" or "hh:nn:ss.zzz [info ]message", then CR LF, in the ANSI
// code page. The logger never throws; its own failures go to "log4me_err.log" beside the
// executable.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "os.h"

namespace log4me {

// The start hook: reads the configuration and writes "log4me:application starting....".
// appFolder is the executable's folder, ending in the separator.
void Start(const std::string& appFolder);
// The stop hook: writes "log4me:application stoping...." and closes the daily file.
void Stop();

// Start in the constructor, Stop in the destructor: the first and last thing main does.
class Session {
public:
    explicit Session(const std::string& appFolder) { Start(appFolder); }
    ~Session() { Stop(); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
};

void LogError(const os::AnsiString& message);
void LogInfo(const os::AnsiString& message);

// A name for one day's file in the log folder: "yyyy-mm-dd" + extension.
std::string DatedFileName(const os::LocalTime& date, const char* extension);
// The daily file's name for a date: "yyyy-mm-dd.log".
std::string DailyFileName(const os::LocalTime& now);
// One line of the daily file: the time as "hh:nn:ss.zzz", a blank, the tagged message, CR LF.
std::string FormatLine(const os::LocalTime& now, const std::string& taggedMessage);

// Where a file kept beside the daily log (the production record) goes now: the daily files'
// folder (UTF-8, ending in the separator) and the logger's clock.
struct InfoPlace {
    std::string folder;
    os::LocalTime now;
};
// Follows an info line's rule: nothing when info lines are off or the logger is not running;
// otherwise the configuration is re-read first when more than a second has passed since it was
// last read. Never throws.
std::optional<InfoPlace> WhereInfoGoes() noexcept;
// Writes "yyyy-mm-dd hh:nn:ss.zzz <message>" to "log4me_err.log", as the logger does for its own
// failures; nothing when the logger is not running. Never throws.
void ReportFailure(const std::string& message) noexcept;

// For tests: the clock the logger reads (os::LocalNow by default; an empty function restores it).
void SetClock(std::function<os::LocalTime()> clock);

}  // namespace log4me
