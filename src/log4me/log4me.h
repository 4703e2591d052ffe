// log4me: the station's daily-file logger, as the program uses it: one logger, started first and
// stopped last.
//
// Lines go to <exe folder>\<path>\yyyy-mm-dd.log, with path and level read from section "log4me"
// of "config.ini" beside the executable, re-read at most once a second while lines are written.
// A line: "hh:nn:ss.zzz [error]message" or "hh:nn:ss.zzz [info ]message", then CR LF, in the ANSI
// code page. The logger never throws; its own failures go to "log4me_err.log" beside the
// executable. The logger itself is a Logger (logger.h); these hooks hold the program's.
#pragma once

#include <string>

#include "log4me/dated_file.h"
#include "log4me/log_config.h"
#include "log4me/logger.h"
#include "platform/clock.h"
#include "platform/text.h"

namespace log4me {

// The start hook: makes the program's logger and writes "log4me:application starting....".
// appFolder is the executable's folder, ending in the separator. owner names the program's
// pending files (see DatedFileAppender): the application title.
void Start(const std::string& appFolder, const std::string& owner = "romtool");
// The stop hook: writes "log4me:application stoping...." and ends the logger.
void Stop();

// Start in the constructor, Stop in the destructor: the first and last thing main does.
class Session {
public:
    Session(const std::string& appFolder, const std::string& owner) { Start(appFolder, owner); }
    ~Session() { Stop(); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
};

// The program's logger's Error and Info; nothing before Start and after Stop.
void LogError(const os::AnsiString& message);
void LogInfo(const os::AnsiString& message);
// A failure of a file written beside the log (the production record): one line in
// "log4me_err.log", as the logger's own. Nothing before Start and after Stop.
void ReportFailure(const std::string& message) noexcept;
// What the program's logger's clock reads now (the system's when none runs): the clock that
// stamps lines also stamps the production record.
ClockReading Now();

// The daily file's name for a date: "yyyy-mm-dd.log".
std::string DailyFileName(const os::LocalTime& date);

// For tests: the clock the program's logger reads, from now on (the system's by default; an
// empty function restores it).
void SetClock(Clock clock);

}  // namespace log4me
