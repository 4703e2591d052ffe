// The clock: local date and time, their texts as the station writes them, and the waits that
// run to a deadline.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace os {

struct LocalTime {
    int year = 0;    // e.g. 2013
    int month = 0;   // 1-12
    int day = 0;     // 1-31
    int hour = 0;    // 0-23
    int minute = 0;  // 0-59
    int second = 0;  // 0-59
    int millisecond = 0;
};

LocalTime LocalNow();

// "yyyy-mm-dd".
std::string DateText(const LocalTime& t);
// "hh:nn:ss.zzz", 24-hour hours, each part zero-padded.
std::string TimeText(const LocalTime& t);
inline constexpr std::size_t kTimeTextSize = 12;
// Writes TimeText(t) at out, without allocating; returns the position after it.
char* WriteTimeText(char* out, const LocalTime& t);

// Milliseconds from now until deadline on the steady clock, for the system's waits: at least 0,
// at most what an int holds, and rounded up, so that a wait for them never ends early.
int MillisecondsUntil(std::chrono::steady_clock::time_point deadline);

}  // namespace os
