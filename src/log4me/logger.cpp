#include "log4me/logger.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace log4me {

namespace {

using Steady = std::chrono::steady_clock;

// Lines that cannot be written wait in memory up to this many bytes (a verdict's text may hold
// a tool's output of several megabytes).
constexpr std::size_t kLinesKeptInMemory = std::size_t{64} << 20;

// "hh:nn:ss.zzz " + tag + message + CR LF, written in place: a line costs no formatting call and,
// once line has grown to it, no allocation.
void BuildLine(std::string& line, const os::LocalTime& now, std::string_view tag,
               std::string_view message) {
    line.resize(os::kTimeTextSize + 1 + tag.size() + message.size() + 2);
    char* out = os::WriteTimeText(line.data(), now);
    *out++ = ' ';
    out = std::copy(tag.begin(), tag.end(), out);  // an empty view's data() may be null
    out = std::copy(message.begin(), message.end(), out);
    *out++ = '\r';
    *out = '\n';
}

}  // namespace

ClockReading SystemClock() {
    return {os::LocalNow(), Steady::now()};
}

Logger::Logger(std::string appFolder, const std::string& owner, Clock clock)
    : appFolder_(std::move(appFolder)),
      clock_(clock ? std::move(clock) : SystemClock),
      dailyFile_(".log", "", true, owner, kLinesKeptInMemory) {
    std::lock_guard<std::mutex> guard(lock_);
    LoadConfig(clock_().steady);
}

ClockReading Logger::Now() const {
    return clock_();
}

void Logger::LoadConfig(Steady::time_point now) {
    errorEnabled_ = false;
    infoEnabled_ = false;
    const std::optional<os::FileStamp> stamp = os::StampOf(appFolder_ + "config.ini");
    if (stamp) {
        if (!configStampTrusted_ || !stamp->SameVersion(configStamp_)) {
            config_ = ReadLogConfig(appFolder_);
            configStamp_ = *stamp;
            configStampTrusted_ = stamp->settled;
        }
        errorEnabled_ = config_.ErrorLines();
        infoEnabled_ = config_.InfoLines();
    } else {
        configStampTrusted_ = false;  // the folder of the last file read stays
    }
    lastConfigLoad_ = now;
}

// Reads the clock once and reloads config.ini when its last reading is over a second old. The
// one reading serves the reload, the line's time and the file's day, so a line stamped
// 00:00:00.000 always lands in the new day's file.
ClockReading Logger::ClockWithFreshConfig() {
    const ClockReading now = clock_();
    if (!lastConfigLoad_ || now.steady - *lastConfigLoad_ > std::chrono::seconds(1)) {
        LoadConfig(now.steady);
    }
    return now;
}

// The logger's own failures go to "log4me_err.log" beside the executable. Failing there too,
// there is nobody left to tell.
void Logger::ReportFailureLocked(const std::string& message) const noexcept {
    try {
        const os::LocalTime now = clock_().local;
        const std::string line =
            os::DateText(now) + " " + os::TimeText(now) + " " + message + "\r\n";
        os::OpenForAppending(appFolder_ + "log4me_err.log").Write(os::ToAnsi(line).bytes());
    } catch (...) {
    }
}

void Logger::ReportFailure(const std::string& message) noexcept {
    try {
        std::lock_guard<std::mutex> guard(lock_);
        ReportFailureLocked(message);
    } catch (...) {
    }
}

void Logger::Log(bool errorLevel, std::string_view tag, const os::AnsiString& message) noexcept {
    try {
        std::lock_guard<std::mutex> guard(lock_);
        const ClockReading now = ClockWithFreshConfig();
        if (!(errorLevel ? errorEnabled_ : infoEnabled_) || config_.folder.empty()) {
            return;
        }
        BuildLine(line_, now.local, tag, message.bytes());
        // Up to the first zero byte, as one write, so that two processes' lines never mix.
        const std::string_view line = line_;
        const AppendResult result = dailyFile_.Append(config_.folder, now.local,
                                                      line.substr(0, line.find('\0')), now.steady);
        if (result.placement == Placement::kWaitingInMemory ||
            result.placement == Placement::kLost) {
            ReportFailureLocked(result.problem);
        }
    } catch (const std::exception& error) {
        ReportFailureLocked(error.what());
    } catch (...) {
    }
}

void Logger::Error(const os::AnsiString& message) noexcept {
    Log(true, "[error]", message);
}

void Logger::Info(const os::AnsiString& message) noexcept {
    Log(false, "[info ]", message);
}

}  // namespace log4me
