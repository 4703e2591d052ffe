// The logger on a station with code page 936: Chinese lines land as GBK bytes.
#include <gtest/gtest.h>

#include <string>

#include "clock.h"
#include "log4me.h"
#include "logger_clock.h"
#include "station_folder.h"
#include "text.h"

namespace {

TEST(LoggerOnWindows, ChineseLineIsWrittenInGbk) {
    test_support::StationFolder station;
    os::LocalTime morning;
    morning.year = 2013;
    morning.month = 11;
    morning.day = 25;
    morning.hour = 8;
    morning.minute = 30;
    log4me::SetClock([morning] { return test_support::ReadingAt(morning); });

    log4me::Start(station.Path());
    log4me::LogInfo(os::ToAnsi("程序启动自检"));
    log4me::Stop();
    log4me::SetClock({});

    const std::string log = station.Read("logs\\2013-11-25.log");
    EXPECT_NE(log.find("08:30:00.000 [info ]\xB3\xCC\xD0\xF2\xC6\xF4\xB6\xAF\xD7\xD4\xBC\xEC\r\n"),
              std::string::npos)
        << log;
}

}  // namespace
