// The texts of the clock, the same on every platform.
#include "platform/clock.h"

#include <algorithm>
#include <limits>

namespace os {

namespace {

// Writes value as exactly width decimal digits at out.
char* PutDigits(char* out, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + width;
}

}  // namespace

std::string DateText(const LocalTime& t) {
    char text[10];
    char* out = PutDigits(text, t.year, 4);
    *out++ = '-';
    out = PutDigits(out, t.month, 2);
    *out++ = '-';
    PutDigits(out, t.day, 2);
    return std::string(text, sizeof text);
}

char* WriteTimeText(char* out, const LocalTime& t) {
    out = PutDigits(out, t.hour, 2);
    *out++ = ':';
    out = PutDigits(out, t.minute, 2);
    *out++ = ':';
    out = PutDigits(out, t.second, 2);
    *out++ = '.';
    return PutDigits(out, t.millisecond, 3);
}

std::string TimeText(const LocalTime& t) {
    std::string text(kTimeTextSize, '\0');
    WriteTimeText(text.data(), t);
    return text;
}

int MillisecondsUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(
        left.count(), 0, std::numeric_limits<int>::max()));
}

}  // namespace os
