// log4me: the station's daily-file logger.
//
// Lines go to <exe folder>\<path>\yyyy-mm-dd.log, with path and level read from section "log4me"
// of "config.ini" beside the executable, re-read at most once a second while lines are written.
// A line: "hh:nn:ss.zzz [error]message" or "hh:nn:ss.zzz [info ]message", then CR LF, in the ANSI
// code page. The logger never throws; its own failures go to "log4me_err.log" beside the
// executable.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "clock.h"
#include "dated_file.h"
#include "text.h"

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

// The daily file's name for a date: "yyyy-mm-dd.log".
std::string DailyFileName(const os::LocalTime& date);
// One line of the daily file: the time as "hh:nn:ss.zzz", a blank, the tagged message, CR LF.
std::string FormatLine(const os::LocalTime& now, const std::string& taggedMessage);

// Appends to a file of its own beside the daily log (the production record), by the rule of an
// info line: nothing when info lines are off or the logger is not running; otherwise the
// configuration is re-read first when more than a second has passed since it was last read.
// text gives the bytes for the logger's current local time. A failure goes to "log4me_err.log"
// as the logger's own do. Never throws.
void AppendBesideLog(DatedFileAppender& file,
                     const std::function<std::string(const os::LocalTime& now)>& text) noexcept;

// What the logger's clock reads: the local time that names files and stamps lines, and the
// steady time that measures how long ago the configuration was read (so that setting the
// wall clock back does not stop the reloads).
struct ClockReading {
    os::LocalTime local;
    std::chrono::steady_clock::time_point steady;
};
// For tests: the clock the logger reads (the system's by default; an empty function restores it).
void SetClock(std::function<ClockReading()> clock);

}  // namespace log4me
