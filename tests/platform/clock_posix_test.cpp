// The clock on Linux.
#include <gtest/gtest.h>

#include <ctime>

#include "platform/clock.h"

namespace {

TEST(Clock, LocalNowIsTheCurrentLocalTime) {
    const std::time_t before = std::time(nullptr);
    const os::LocalTime now = os::LocalNow();
    const std::time_t after = std::time(nullptr);
    std::tm parts{};
    parts.tm_year = now.year - 1900;
    parts.tm_mon = now.month - 1;
    parts.tm_mday = now.day;
    parts.tm_hour = now.hour;
    parts.tm_min = now.minute;
    parts.tm_sec = now.second;
    parts.tm_isdst = -1;
    const std::time_t shown = std::mktime(&parts);
    EXPECT_LE(before, shown);
    EXPECT_LE(shown, after);
    EXPECT_GE(now.millisecond, 0);
    EXPECT_LE(now.millisecond, 999);
}

}  // namespace
