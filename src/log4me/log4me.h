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
// appFolder is the executable's folder, ending in the separator. owner names the program's
// pending files (see DatedFileAppender): the application title.
void Start(const std::string& appFolder, const std::string& owner = "romtool");
// The stop hook: writes "log4me:application stoping...." and closes the daily file.
void Stop();

// Start in the constructor, Stop in the destructor: the first and last thing main does.
class Session {
public:
    Session(const std::string& appFolder, const std::string& owner) { Start(appFolder, owner); }
    ~Session() { Stop(); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
};

// Write one line at a level if the configuration enables it. config.ini is read again first
// when its last reading is more than a second old, whatever the levels, so a file put in place
// or mended after the start takes effect at the next line. A line the daily file cannot take
// waits (see DatedFileAppender); when it waits in memory, the failure goes to "log4me_err.log".
void LogError(const os::AnsiString& message);
void LogInfo(const os::AnsiString& message);

// The daily file's name for a date: "yyyy-mm-dd.log".
std::string DailyFileName(const os::LocalTime& date);

// What config.ini's section "log4me" says, read now.
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
};
LogConfig ReadLogConfig(const std::string& appFolder);

// A failure of the logger's own, or of a file written beside the log: one line in
// "log4me_err.log" in the folder Start was given. Never throws.
void ReportFailure(const std::string& message) noexcept;

// What the logger's clock reads: the local time that names files and stamps lines, and the
// steady time that measures how long ago the configuration was read (so that setting the
// wall clock back does not stop the reloads).
struct ClockReading {
    os::LocalTime local;
    std::chrono::steady_clock::time_point steady;
};
// What the logger's clock reads now: the clock that stamps lines also stamps the station's
// production record.
ClockReading Now();
// For tests: the clock the logger reads (the system's by default; an empty function restores it).
void SetClock(std::function<ClockReading()> clock);

}  // namespace log4me
