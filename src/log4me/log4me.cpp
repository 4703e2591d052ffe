#include "log4me.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>

namespace log4me {

namespace {

constexpr std::int64_t kNoDay = INT64_MIN;

// The module's state. One lock guards all of it: the station logs from one thread, and holding
// the lock for the whole line keeps lines of other threads whole and the state consistent.
struct State {
    std::mutex logLock;
    bool running = false;
    std::string appFolder;       // UTF-8, ends in the separator
    std::string logDir;          // ANSI bytes, ends in the separator; empty until configured
    std::string currentLogName;  // ANSI bytes: the file logStream belongs to
    os::File logStream;
    // The daily file's name for one day in logDir, kept so that a line need not build it.
    std::string dailyPath;
    std::int64_t dailyPathDay = kNoDay;
    std::string line;                 // the line being written, kept to reuse its memory
    std::int64_t nameChecked = 0;     // when logStream was last found under its name
    std::int64_t lastConfigLoad = 0;  // Moment::ms
    // The configuration file's values as last read, and the version of the file they came
    // from: re-read only when the file changed, or when its last read was too close to a
    // change to tell the next one apart.
    std::string configPath;
    std::string configLevel;
    os::FileStamp configStamp;
    bool configStampTrusted = false;
    bool errorEnabled = false;
    bool infoEnabled = false;
    std::function<os::LocalTime()> clock;
};

State& TheState() {
    static State state;
    return state;
}

os::LocalTime ReadClock(const State& state) {
    return state.clock ? state.clock() : os::LocalNow();
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// One reading of the clock, with its day and its time as one number, so that times on both sides
// of midnight compare correctly.
struct Moment {
    os::LocalTime time;
    std::int64_t day;  // since 1970-01-01
    std::int64_t ms;   // since 1970-01-01 00:00:00.000 local time
};

Moment MomentOf(const os::LocalTime& t) {
    const std::int64_t day = DaysFromCivil(t.year, t.month, t.day);
    return {t, day,
            ((day * 24 + t.hour) * 60 + t.minute) * 60000 + t.second * 1000 + t.millisecond};
}

// Writes value as exactly width decimal digits at out.
char* PutDigits(char* out, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + width;
}

char* PutText(char* out, std::string_view text) {
    return std::copy(text.begin(), text.end(), out);  // an empty view's data() may be null
}

// "hh:nn:ss.zzz " + tag + message + CR LF, written in place: a line costs no formatting call and,
// once line has grown to it, no allocation.
void BuildLine(std::string& line, const os::LocalTime& now, std::string_view tag,
               std::string_view message) {
    constexpr std::string_view kStamp = "hh:nn:ss.zzz ";
    line.resize(kStamp.size() + tag.size() + message.size() + 2);
    char* out = line.data();
    out = PutDigits(out, now.hour, 2);
    *out++ = ':';
    out = PutDigits(out, now.minute, 2);
    *out++ = ':';
    out = PutDigits(out, now.second, 2);
    *out++ = '.';
    out = PutDigits(out, now.millisecond, 3);
    *out++ = ' ';
    out = PutText(out, tag);
    out = PutText(out, message);
    PutText(out, "\r\n");
}

std::string ToLowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::string FormatDateTime(const os::LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.millisecond);
    return text;
}

void LoadLogConfig(State& state, std::int64_t now) {
    state.errorEnabled = false;
    state.infoEnabled = false;
    const std::string ini = state.appFolder + "config.ini";
    const std::optional<os::FileStamp> stamp = os::StampOf(ini);
    if (stamp) {
        if (!state.configStampTrusted || !stamp->SameVersion(state.configStamp)) {
            state.configPath = os::GetProfileString("log4me", "path", "logs", ini);
            state.configLevel = ToLowerAscii(os::GetProfileString("log4me", "level", "info", ini));
            state.configStamp = *stamp;
            state.configStampTrusted = stamp->settled;
        }
        const std::string& path = state.configPath;
        const std::string& level = state.configLevel;
        // The doubled separator after the folder is part of the name; the file system takes it.
        state.logDir =
            os::ToAnsi(state.appFolder + os::kPathSeparator + path + os::kPathSeparator).bytes();
        state.dailyPathDay = kNoDay;
        state.errorEnabled = level == "debug" || level == "info" || level == "error";
        state.infoEnabled = level == "debug" || level == "info";
    } else {
        state.configStampTrusted = false;
    }
    state.lastConfigLoad = now;
}

// The logger's own failures go to "log4me_err.log" beside the executable. Failing there too,
// there is nobody left to tell.
void ReportFailure(State& state, const std::string& message) {
    try {
        const std::string line = FormatDateTime(ReadClock(state)) + " " + message + "\r\n";
        os::File file = os::OpenForAppending(state.appFolder + "log4me_err.log");
        file.Write(os::ToAnsi(line).bytes());
    } catch (...) {
    }
}

void AppendToLog(State& state, const std::string& fileName, const std::string& bytes,
                 std::int64_t now) {
    try {
        if (fileName != state.currentLogName) {
            state.currentLogName = fileName;
            state.logStream.Close();
        }
        // A deleted or replaced daily file would swallow every line without a trace. Asking
        // costs two system calls, as much as the write itself, so lines of the same
        // millisecond as the last answer share it.
        if (state.logStream.IsOpen() && now != state.nameChecked) {
            state.nameChecked = now;
            if (!state.logStream.IsStillNamed()) {
                state.logStream.Close();
            }
        }
        if (!state.logStream.IsOpen()) {
            state.logStream = os::OpenForAppending(os::FromAnsi(fileName));
            state.nameChecked = now;
        }
        // Up to the first zero byte, as one write, so that two processes' lines never mix.
        state.logStream.Write(std::string_view(bytes).substr(0, bytes.find('\0')));
    } catch (const std::exception& error) {
        state.logStream.Close();  // the next line opens the file again
        ReportFailure(state, error.what());
    }
}

// LogDir + "yyyy-mm-dd.log" for the day of now, built once a day (or folder).
const std::string& DailyPath(State& state, const Moment& now) {
    if (now.day != state.dailyPathDay) {
        state.dailyPath = state.logDir + DailyFileName(now.time);
        state.dailyPathDay = now.day;
    }
    return state.dailyPath;
}

// Reads the clock once and reloads config.ini when its last reading is over a second old. The
// one reading serves the reload, the line's time and the file's day, so a line stamped
// 00:00:00.000 always lands in the new day's file.
Moment ClockWithFreshConfig(State& state) {
    const Moment now = MomentOf(ReadClock(state));
    if (now.ms - state.lastConfigLoad > 1000) {
        LoadLogConfig(state, now.ms);
    }
    return now;
}

void WriteLogLine(State& state, std::string_view tag, std::string_view message) {
    const Moment now = ClockWithFreshConfig(state);
    BuildLine(state.line, now.time, tag, message);
    AppendToLog(state, DailyPath(state, now), state.line, now.ms);
}

// Writes one line at a level if the level is enabled. The flag is tested before WriteLogLine may
// reload the configuration, so a new level applies from the next line on.
void Log(bool State::*enabled, std::string_view tag, const os::AnsiString& message) noexcept {
    State& state = TheState();
    try {
        std::lock_guard<std::mutex> guard(state.logLock);
        if (!state.running || !(state.*enabled)) {
            return;
        }
        try {
            WriteLogLine(state, tag, message.bytes());
        } catch (const std::exception& error) {
            ReportFailure(state, error.what());
        }
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
        LoadLogConfig(state, MomentOf(ReadClock(state)).ms);
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
        state.logStream.Close();
        state.currentLogName.clear();
        state.logDir.clear();
        state.dailyPathDay = kNoDay;
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

std::string DatedFileName(const os::LocalTime& date, const char* extension) {
    char name[32];
    std::snprintf(name, sizeof name, "%04d-%02d-%02d", date.year, date.month, date.day);
    return name + std::string(extension);
}

std::string DailyFileName(const os::LocalTime& now) {
    return DatedFileName(now, ".log");
}

std::string FormatLine(const os::LocalTime& now, const std::string& taggedMessage) {
    std::string line;
    BuildLine(line, now, taggedMessage, {});
    return line;
}

void SetClock(std::function<os::LocalTime()> clock) {
    State& state = TheState();
    std::lock_guard<std::mutex> guard(state.logLock);
    state.clock = std::move(clock);
}

std::optional<InfoPlace> WhereInfoGoes() noexcept {
    State& state = TheState();
    try {
        std::lock_guard<std::mutex> guard(state.logLock);
        if (!state.running || !state.infoEnabled) {
            return std::nullopt;
        }
        return InfoPlace{os::FromAnsi(state.logDir), ClockWithFreshConfig(state).time};
    } catch (...) {
        return std::nullopt;
    }
}

void ReportFailure(const std::string& message) noexcept {
    State& state = TheState();
    try {
        std::lock_guard<std::mutex> guard(state.logLock);
        if (state.running) {
            ReportFailure(state, message);
        }
    } catch (...) {
    }
}

}  // namespace log4me
