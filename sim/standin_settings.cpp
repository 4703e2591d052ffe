#include "standin_settings.h"

#include <cstdlib>
#include <utility>

#include "platform/text.h"

namespace sim {

namespace {

// Upper bounds that keep a mistyped number from filling the disk or stalling a test run for days.
constexpr unsigned long long kMaxDelayMs = 24ull * 60 * 60 * 1000;
constexpr unsigned long long kMaxLongOutput = 256ull * 1024 * 1024;

const char* const kKeys[] = {"probe",         "verify",         "marker",     "delay_ms",
                             "line_delay_ms", "hang",           "crash",      "long_output",
                             "zero_bytes",    "split_char",     "serial",     "deviceid",
                             "family",        "protection",     "program_ms", "call_ms",
                             "connect_ms",    "device_version", "batch_fail"};

std::string_view Trim(std::string_view text) {
    return os::TrimmedOf(text, os::kAsciiSpace);
}

bool IsKnownKey(const std::string& key) {
    for (const char* known : kKeys) {
        if (key == known) {
            return true;
        }
    }
    return false;
}

bool ParseNumber(const std::string& text, unsigned long long max, unsigned long long& number) {
    if (text.empty() || text.size() > 20) {
        return false;
    }
    unsigned long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > max) {
            return false;
        }
    }
    number = value;
    return true;
}

bool ParseFlag(const std::string& text, bool& flag) {
    if (text == "1" || text == "yes" || text == "true" || text == "on") {
        flag = true;
        return true;
    }
    if (text == "0" || text == "no" || text == "false" || text == "off" || text.empty()) {
        flag = false;
        return true;
    }
    return false;
}

bool ParseChoice(const std::string& text, const char* on, const char* off, bool& flag) {
    if (text == on) {
        flag = true;
        return true;
    }
    if (text == off || text.empty()) {
        flag = false;
        return true;
    }
    return false;
}

bool ParseMarker(const std::string& text, Marker& marker) {
    if (text == "print" || text.empty()) {
        marker = Marker::kVerifyOk;
    } else if (text == "verified") {
        marker = Marker::kVerifiedOk;
    } else if (text == "done") {
        marker = Marker::kDoneVerifying;
    } else if (text == "omit") {
        marker = Marker::kOmitted;
    } else {
        return false;
    }
    return true;
}

bool ParseHang(const std::string& text, HangIn& hang) {
    if (text == "1" || text == "program") {
        hang = HangIn::kProgramming;
    } else if (text == "probe") {
        hang = HangIn::kProbeQuery;
    } else if (text == "all") {
        hang = HangIn::kEveryRun;
    } else if (text == "0" || text.empty()) {
        hang = HangIn::kNoRun;
    } else {
        return false;
    }
    return true;
}

// 1 to 16 hexadecimal digits, "0x" allowed.
bool ParseDeviceId(std::string_view text, std::uint64_t& deviceId) {
    if (text.substr(0, 2) == "0x") {
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 16 ||
        text.find_first_not_of("0123456789abcdef") != std::string_view::npos) {
        return false;
    }
    deviceId = std::stoull(std::string(text), nullptr, 16);
    return true;
}

constexpr Family kFamilies[] = {Family::kNrf51, Family::kNrf52, Family::kNrf53, Family::kNrf91,
                                Family::kNrf54L};

bool ParseFamily(const std::string& text, Family& family) {
    for (Family known : kFamilies) {
        if (text == FamilyName(known)) {
            family = known;
            return true;
        }
    }
    return false;
}

std::vector<std::string> SplitSerials(std::string_view text) {
    std::vector<std::string> serials;
    while (true) {
        const std::size_t comma = text.find(',');
        std::string_view one = Trim(text.substr(0, comma));
        if (!one.empty()) {
            serials.emplace_back(one);
        }
        if (comma == std::string_view::npos) {
            return serials;
        }
        text.remove_prefix(comma + 1);
    }
}

// The setting a key of milliseconds names, or nullptr for any other key.
unsigned long* MillisecondsOf(Settings& settings, const std::string& key) {
    if (key == "delay_ms") {
        return &settings.delayMs;
    }
    if (key == "line_delay_ms") {
        return &settings.lineDelayMs;
    }
    if (key == "program_ms") {
        return &settings.programMs;
    }
    if (key == "call_ms") {
        return &settings.callMs;
    }
    return key == "connect_ms" ? &settings.connectMs : nullptr;
}

// Applies one known key; returns false when the value is not understood.
bool Apply(Settings& settings, const std::string& key, const std::string& rawValue) {
    const std::string value = os::AsciiLower(rawValue);
    unsigned long long number = 0;
    if (key == "probe") {
        return ParseChoice(value, "absent", "present", settings.probeAbsent);
    }
    if (key == "verify") {
        return ParseChoice(value, "fail", "ok", settings.verifyFails);
    }
    if (key == "marker") {
        return ParseMarker(value, settings.marker);
    }
    if (unsigned long* ms = MillisecondsOf(settings, key)) {
        if (!ParseNumber(value, kMaxDelayMs, number)) {
            return false;
        }
        *ms = static_cast<unsigned long>(number);
        return true;
    }
    if (key == "hang" || key == "crash") {
        return ParseHang(value, key == "hang" ? settings.hang : settings.crash);
    }
    if (key == "long_output") {
        if (!ParseNumber(value, kMaxLongOutput, number)) {
            return false;
        }
        settings.longOutput = static_cast<std::size_t>(number);
        return true;
    }
    if (key == "zero_bytes") {
        return ParseFlag(value, settings.zeroBytes);
    }
    if (key == "split_char") {
        return ParseFlag(value, settings.splitChar);
    }
    if (key == "deviceid") {
        return ParseDeviceId(value, settings.deviceId);
    }
    if (key == "family") {
        return ParseFamily(value, settings.family);
    }
    if (key == "protection") {
        return ParseChoice(value, "factory", "none", settings.factoryProtected);
    }
    if (key == "device_version") {
        settings.deviceVersion = rawValue;
        return !rawValue.empty();
    }
    if (key == "batch_fail") {
        if (!ParseNumber(value, 1000, number)) {
            return false;
        }
        settings.batchFail = static_cast<unsigned>(number);
        return true;
    }
    // serial: kept as written, letter case included.
    std::vector<std::string> serials = SplitSerials(rawValue);
    if (serials.empty()) {
        return false;
    }
    settings.serials = std::move(serials);
    return true;
}

void ReadFileLines(Settings& settings, std::string_view text) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.remove_prefix(kByteOrderMark.size());
    }
    int lineNumber = 0;
    os::ForEachLine(text, [&](std::string_view untrimmed) {
        ++lineNumber;
        const std::string_view line = Trim(untrimmed);
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            return;
        }
        const std::string where = "standin.ini line " + std::to_string(lineNumber);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            settings.problems.push_back(where + ": not a key=value line");
            return;
        }
        const std::string key = os::AsciiLower(Trim(line.substr(0, equals)));
        const std::string value(Trim(line.substr(equals + 1)));
        if (!IsKnownKey(key)) {
            settings.problems.push_back(where + ": unknown setting '" + key + "'");
        } else if (!Apply(settings, key, value)) {
            settings.problems.push_back(where + ": " + key + " cannot be '" + value + "'");
        }
    });
}

void ReadEnvironment(Settings& settings) {
    for (const char* key : kKeys) {
        const std::string name = "STANDIN_" + os::AsciiUpper(key);
        const char* value = std::getenv(name.c_str());
        if (value == nullptr || *value == '\0') {
            continue;
        }
        const std::string trimmed(Trim(value));
        if (!Apply(settings, key, trimmed)) {
            settings.problems.push_back(name + " cannot be '" + trimmed + "'");
        }
    }
}

}  // namespace

const char* FamilyName(Family family) {
    switch (family) {
        case Family::kNrf51:
            return "nrf51";
        case Family::kNrf53:
            return "nrf53";
        case Family::kNrf91:
            return "nrf91";
        case Family::kNrf54L:
            return "nrf54l";
        case Family::kNrf52:
            break;
    }
    return "nrf52";
}

bool NamesFamily(std::string_view name, Family family) {
    return os::AsciiLower(name) == FamilyName(family);
}

Settings ReadSettings(std::string_view iniText) {
    Settings settings;
    ReadFileLines(settings, iniText);
    ReadEnvironment(settings);
    return settings;
}

}  // namespace sim
