// The clock on Windows.
#include "platform/clock.h"
#include "platform/internal/win32.h"

namespace os {

LocalTime LocalNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    LocalTime time;
    time.year = now.wYear;
    time.month = now.wMonth;
    time.day = now.wDay;
    time.hour = now.wHour;
    time.minute = now.wMinute;
    time.second = now.wSecond;
    time.millisecond = now.wMilliseconds;
    return time;
}

}  // namespace os
