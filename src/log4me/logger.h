// One daily-file logger: the log of one station folder, configured by its config.ini, on the
// clock it is given. The program has one, behind the module's hooks (log4me.h); a test may make
// several, each with a clock of its own.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "log4me/dated_file.h"
#include "log4me/log_config.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/text.h"

namespace log4me {

// What the logger's clock reads: the local time that names files and stamps lines, and the
// steady time that measures how long ago the configuration was read (so that setting the
// wall clock back does not stop the reloads).
struct ClockReading {
    os::LocalTime local;
    std::chrono::steady_clock::time_point steady;
};
using Clock = std::function<ClockReading()>;

// The system's clock.
ClockReading SystemClock();

class Logger {
public:
    // appFolder: the station folder, ending in the separator, where config.ini and
    // "log4me_err.log" are. owner names the logger's pending files (see DatedFileAppender).
    // Reads the configuration; writes nothing.
    Logger(std::string appFolder, const std::string& owner, Clock clock = SystemClock);

    // One line at a level, when the configuration enables it. config.ini is read again first
    // when its last reading is more than a second old, whatever the levels, so a file put in
    // place or mended takes effect at the next line. A line the daily file cannot take waits
    // (see DatedFileAppender); when it waits in memory, the failure goes to "log4me_err.log".
    // Thread-safe; never throws.
    void Error(const os::AnsiString& message) noexcept;
    void Info(const os::AnsiString& message) noexcept;

    // One line in "log4me_err.log": the date and time, a blank, message. Never throws.
    void ReportFailure(const std::string& message) noexcept;
    ClockReading Now() const;

private:
    void Log(bool errorLevel, std::string_view tag, const os::AnsiString& message) noexcept;
    ClockReading ClockWithFreshConfig();
    void LoadConfig(std::chrono::steady_clock::time_point now);
    void ReportFailureLocked(const std::string& message) const noexcept;

    const std::string appFolder_;
    const Clock clock_;
    mutable std::mutex lock_;  // one line at a time, whole
    DatedFileAppender dailyFile_;
    std::string line_;  // the line being written, kept to reuse its memory
    std::optional<std::chrono::steady_clock::time_point> lastConfigLoad_;
    // The configuration as last read, and the version of the file it came from: read again
    // only when the file changed, or when its last read was too close to a change to tell the
    // next one apart.
    LogConfig config_;
    os::FileStamp configStamp_;
    bool configStampTrusted_ = false;
    bool errorEnabled_ = false;
    bool infoEnabled_ = false;
};

}  // namespace log4me
