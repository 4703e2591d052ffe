// The clock on Linux.
#include <time.h>

#include <algorithm>
#include <ctime>

#include "platform/clock.h"

namespace os {

// The local date and time change only with the second, and their conversion costs more than
// reading the clock: each thread converts once per second and fills in the milliseconds.
LocalTime LocalNow() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    thread_local time_t convertedSecond = -1;
    thread_local LocalTime local;
    if (now.tv_sec != convertedSecond) {
        std::tm parts{};
        ::localtime_r(&now.tv_sec, &parts);
        local.year = parts.tm_year + 1900;
        local.month = parts.tm_mon + 1;
        local.day = parts.tm_mday;
        local.hour = parts.tm_hour;
        local.minute = parts.tm_min;
        local.second = std::min(parts.tm_sec, 59);  // a leap second stays within its minute
        convertedSecond = now.tv_sec;
    }
    local.millisecond = static_cast<int>(now.tv_nsec / 1000000);
    return local;
}

}  // namespace os
