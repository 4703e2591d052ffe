// Clock readings for the logger in tests that set the time by hand.
#pragma once

#include <chrono>
#include <cstdint>

#include "log4me/log4me.h"
#include "platform/clock.h"

namespace test_support {

// Days since 1970-01-01 of a civil date (proleptic Gregorian calendar).
inline std::int64_t DaysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The reading at local time t when the steady clock has run as the wall clock did, plus
// steadyAhead: how much more time has really passed (e.g. after the wall clock was set back).
inline log4me::ClockReading ReadingAt(const os::LocalTime& t,
                                      std::chrono::milliseconds steadyAhead = {}) {
    const std::int64_t day = DaysFromCivil(t.year, t.month, t.day);
    const std::chrono::milliseconds sinceEpoch(((day * 24 + t.hour) * 60 + t.minute) * 60000 +
                                               t.second * 1000 + t.millisecond);
    return {t, std::chrono::steady_clock::time_point(sinceEpoch + steadyAhead)};
}

}  // namespace test_support
