#include "log4me.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>

#include "files.h"
#include "paths.h"
#include "profile.h"

namespace log4me {

namespace {

using Steady = std::chrono::steady_clock;

// The module's state. One lock guards all of it: the station logs from one thread, and holding
// the lock for the whole line keeps lines of other threads whole and the state consistent.
struct State {
    std::mutex logLock;
    bool running = false;
    std::string appFolder;  // ends in the separator
    std::string logDir;     // ends in the separator; empty until configured
    DatedFileAppender dailyFile{".log", "", true};
    std::string line;  // the line being written, kept to reuse its memory
    std::optional<Steady::time_point> lastConfigLoad;
    // The configuration file's values as last read, and the version of the file they came
    // from: re-read only when the file changed, or when its last read was too close to a
    // change to tell the next one apart.
    std::string configPath;
    std::string configLevel;
    os::FileStamp configStamp;
    bool configStampTrusted = false;
    bool errorEnabled = false;
    bool infoEnabled = false;
    std::function<ClockReading()> clock;
};

State& TheState() {
    static State state;
    return state;
}

ClockReading ReadClock(const State& state) {
    return state.clock ? state.clock() : ClockReading{os::LocalNow(), Steady::now()};
}

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

void LoadLogConfig(State& state, Steady::time_point now) {
    state.errorEnabled = false;
    state.infoEnabled = false;
    const std::string ini = state.appFolder + "config.ini";
    const std::optional<os::FileStamp> stamp = os::StampOf(ini);
    if (stamp) {
        if (!state.configStampTrusted || !stamp->SameVersion(state.configStamp)) {
            state.configPath = os::GetProfileString("log4me", "path", "logs", ini);
            state.configLevel =
                os::AsciiLower(os::GetProfileString("log4me", "level", "info", ini));
            state.configStamp = *stamp;
            state.configStampTrusted = stamp->settled;
        }
        const std::string& level = state.configLevel;
        // The doubled separator after the folder is part of the name; the file system takes it.
        state.logDir = state.appFolder + os::kPathSeparator + state.configPath + os::kPathSeparator;
        state.errorEnabled = level == "debug" || level == "info" || level == "error";
        state.infoEnabled = level == "debug" || level == "info";
    } else {
        state.configStampTrusted = false;
    }
    state.lastConfigLoad = now;
}

// The logger's own failures go to "log4me_err.log" beside the executable. Failing there too,
// there is nobody left to tell.
void ReportFailure(State& state, const std::string& message) noexcept {
    try {
        const os::LocalTime now = ReadClock(state).local;
        const std::string line =
            os::DateText(now) + " " + os::TimeText(now) + " " + message + "\r\n";
        os::OpenForAppending(state.appFolder + "log4me_err.log").Write(os::ToAnsi(line).bytes());
    } catch (...) {
    }
}

// Reads the clock once and reloads config.ini when its last reading is over a second old. The
// one reading serves the reload, the line's time and the file's day, so a line stamped
// 00:00:00.000 always lands in the new day's file.
ClockReading ClockWithFreshConfig(State& state) {
    const ClockReading now = ReadClock(state);
    if (!state.lastConfigLoad || now.steady - *state.lastConfigLoad > std::chrono::seconds(1)) {
        LoadLogConfig(state, now.steady);
    }
    return now;
}

// Appends through file, reporting a failure; the file closes itself then, so the next append
// tries again.
void AppendReporting(State& state, DatedFileAppender& file, const ClockReading& now,
                     std::string_view bytes) {
    try {
        file.Append(state.logDir, now.local, bytes, now.steady);
    } catch (const std::exception& error) {
        ReportFailure(state, error.what());
    }
}

// Writes one line at a level if the level is enabled. The flag is tested before the clock
// reading may reload the configuration, so a new level applies from the next line on.
void Log(bool State::*enabled, std::string_view tag, const os::AnsiString& message) noexcept {
    State& state = TheState();
    try {
        std::lock_guard<std::mutex> guard(state.logLock);
        if (!state.running || !(state.*enabled)) {
            return;
        }
        const ClockReading now = ClockWithFreshConfig(state);
        BuildLine(state.line, now.local, tag, message.bytes());
        // Up to the first zero byte, as one write, so that two processes' lines never mix.
        const std::string_view line = state.line;
        AppendReporting(state, state.dailyFile, now, line.substr(0, line.find('\0')));
    } catch (const std::exception& error) {
        ReportFailure(state, error.what());
    } catch (...) {
    }
}

}  // namespace

void Start(const std::string& appFolder) {
    State& state = TheState();
    try {
        std::lock_guard<std::mutex> guard(state.logLock);
        state.appFolder = appFolder;
        state.running = true;
        LoadLogConfig(state, ReadClock(state).steady);
    } catch (...) {
    }
    LogInfo(os::AnsiString("log4me:application starting...."));
}

void Stop() {
    LogInfo(os::AnsiString("log4me:application stoping...."));
    State& state = TheState();
    try {
        std::lock_guard<std::mutex> guard(state.logLock);
        state.running = false;
        state.dailyFile.Close();
        state.logDir.clear();
        state.lastConfigLoad.reset();
        state.configStampTrusted = false;
        state.errorEnabled = false;
        state.infoEnabled = false;
    } catch (...) {
    }
}

void LogError(const os::AnsiString& message) {
    Log(&State::errorEnabled, "[error]", message);
}

void LogInfo(const os::AnsiString& message) {
    Log(&State::infoEnabled, "[info ]", message);
}

std::string DailyFileName(const os::LocalTime& date) {
    return DatedFileAppender::FileName(date, ".log");
}

std::string FormatLine(const os::LocalTime& now, const std::string& taggedMessage) {
    std::string line;
    BuildLine(line, now, taggedMessage, {});
    return line;
}

void AppendBesideLog(DatedFileAppender& file,
                     const std::function<std::string(const os::LocalTime& now)>& text) noexcept {
    State& state = TheState();
    try {
        std::lock_guard<std::mutex> guard(state.logLock);
        if (!state.running || !state.infoEnabled) {
            return;
        }
        const ClockReading now = ClockWithFreshConfig(state);
        AppendReporting(state, file, now, text(now.local));
    } catch (const std::exception& error) {
        ReportFailure(state, error.what());
    } catch (...) {
    }
}

void SetClock(std::function<ClockReading()> clock) {
    State& state = TheState();
    std::lock_guard<std::mutex> guard(state.logLock);
    state.clock = std::move(clock);
}

}  // namespace log4me
