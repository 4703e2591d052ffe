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

// Lines that cannot be written wait in memory up to this many bytes (a verdict's text may hold
// a tool's output of several megabytes).
constexpr std::size_t kLinesKeptInMemory = std::size_t{64} << 20;

// The module's state. One lock guards all of it: the station logs from one thread, and holding
// the lock for the whole line keeps lines of other threads whole and the state consistent.
struct State {
    std::mutex logLock;
    bool running = false;
    std::string appFolder;  // ends in the separator
    std::string logDir;     // ends in the separator; empty until configured
    std::optional<DatedFileAppender> dailyFile;
    std::string line;  // the line being written, kept to reuse its memory
    std::optional<Steady::time_point> lastConfigLoad;
    // The configuration as last read, and the version of the file it came from: read again
    // only when the file changed, or when its last read was too close to a change to tell the
    // next one apart.
    LogConfig config;
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
    const std::optional<os::FileStamp> stamp = os::StampOf(state.appFolder + "config.ini");
    if (stamp) {
        if (!state.configStampTrusted || !stamp->SameVersion(state.configStamp)) {
            state.config = ReadLogConfig(state.appFolder);
            state.configStamp = *stamp;
            state.configStampTrusted = stamp->settled;
        }
        const std::string& level = state.config.level;
        state.logDir = state.config.folder;
        state.errorEnabled = level == "debug" || level == "info" || level == "error";
        state.infoEnabled = level == "debug" || level == "info";
    } else {
        state.configStampTrusted = false;
    }
    state.lastConfigLoad = now;
}

// The logger's own failures go to "log4me_err.log" beside the executable. Failing there too,
// there is nobody left to tell.
void ReportFailureLocked(const State& state, const std::string& message) noexcept {
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

// Writes one line at a level if the level is enabled, with the configuration read again first
// when it is due, so that the line follows the file as it is now.
void Log(bool State::*enabled, std::string_view tag, const os::AnsiString& message) noexcept {
    State& state = TheState();
    try {
        std::lock_guard<std::mutex> guard(state.logLock);
        if (!state.running) {
            return;
        }
        const ClockReading now = ClockWithFreshConfig(state);
        if (!(state.*enabled)) {
            return;
        }
        BuildLine(state.line, now.local, tag, message.bytes());
        // Up to the first zero byte, as one write, so that two processes' lines never mix.
        const std::string_view line = state.line;
        const AppendResult result =
            state.dailyFile->Append(state.logDir, now.local, line.substr(0, line.find('\0')),
                                    now.steady);
        if (result.placement == Placement::kWaitingInMemory ||
            result.placement == Placement::kLost) {
            ReportFailureLocked(state, result.problem);
        }
    } catch (const std::exception& error) {
        ReportFailureLocked(state, error.what());
    } catch (...) {
    }
}

}  // namespace

void Start(const std::string& appFolder, const std::string& owner) {
    State& state = TheState();
    try {
        std::lock_guard<std::mutex> guard(state.logLock);
        state.appFolder = appFolder;
        state.dailyFile.emplace(".log", "", true, owner, kLinesKeptInMemory);
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
        state.dailyFile.reset();
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
    if (os::IsAbsolutePath(path)) {
        config.folder = endsInSeparator ? path : path + os::kPathSeparator;
        config.shownFolder = endsInSeparator ? path.substr(0, path.size() - 1) : path;
    } else {
        config.folder = appFolder + os::kPathSeparator + path + os::kPathSeparator;
        config.shownFolder = appFolder + (endsInSeparator ? path.substr(0, path.size() - 1) : path);
    }
    return config;
}

void ReportFailure(const std::string& message) noexcept {
    State& state = TheState();
    try {
        std::lock_guard<std::mutex> guard(state.logLock);
        ReportFailureLocked(state, message);
    } catch (...) {
    }
}

ClockReading Now() {
    State& state = TheState();
    std::lock_guard<std::mutex> guard(state.logLock);
    return ReadClock(state);
}

void SetClock(std::function<ClockReading()> clock) {
    State& state = TheState();
    std::lock_guard<std::mutex> guard(state.logLock);
    state.clock = std::move(clock);
}

}  // namespace log4me
