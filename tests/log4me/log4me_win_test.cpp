// The logger on a station with code page 936: Chinese lines land as GBK bytes, and nothing is
// lost while another program holds a day's file.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "log4me/log4me.h"
#include "logger_clock.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/text.h"
#include "station_folder.h"
#include "temp_folder.h"

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

// What a spreadsheet does with a file it has open: it reads it and lets nobody else write it.
os::File HeldAgainstWriters(const std::string& path) {
    return os::OpenForReading(path, os::Share::kRead);
}

class FileHeldByAnotherProgram : public ::testing::Test {
protected:
    void SetUp() override {
        station.Write("config.ini", "[log4me]\r\npath=logs\r\nlevel=info\r\n");
        station.MakeFolder("logs");
        log4me::SetClock([this] { return test_support::ReadingAt(now); });
    }
    void TearDown() override {
        log4me::Stop();
        log4me::SetClock({});
    }
    std::string Line(const std::string& message) const {
        return os::TimeText(now) + " [info ]" + message + "\r\n";
    }

    test_support::TempFolder station;
    os::LocalTime now{2013, 11, 25, 8, 30, 0, 0};
    const std::string logs = station / "logs\\";
};

// The record opens its file for each row: rows of presses while it is held wait in order.
TEST_F(FileHeldByAnotherProgram, RowsWaitAndFollowInOrderOnceItLetsGo) {
    log4me::DatedFileAppender record(".csv", "header\r\n", false, "Romtool", 1 << 20);
    const auto append = [&](const std::string& row) {
        record.Append(logs, now, row, std::chrono::steady_clock::now());
    };
    append("row 1\r\n");
    const std::string file = logs + "2013-11-25.csv";
    {
        const os::File holder = HeldAgainstWriters(file);
        for (const char* row : {"row 2\r\n", "row 3\r\n", "row 4\r\n"}) {
            append(row);
        }
        EXPECT_EQ(test_support::ReadFile(file), "header\r\nrow 1\r\n");
        EXPECT_EQ(test_support::ReadFile(file + ".Romtool.pending"), "row 2\r\nrow 3\r\nrow 4\r\n");
    }
    append("row 5\r\n");

    EXPECT_EQ(test_support::ReadFile(file),
              "header\r\nrow 1\r\nrow 2\r\nrow 3\r\nrow 4\r\nrow 5\r\n");
    EXPECT_FALSE(os::FileExists(file + ".Romtool.pending"));
    EXPECT_FALSE(station.Exists("log4me_err.log"));
}

// The daily log stays open once opened, so only a file held before that can refuse it.
TEST_F(FileHeldByAnotherProgram, LogLinesWaitAndFollowInOrderOnceItLetsGo) {
    const std::string file = logs + "2013-11-25.log";
    test_support::WriteFile(file, Line("earlier run"));
    {
        const os::File holder = HeldAgainstWriters(file);
        log4me::Start(station.Path());
        log4me::LogInfo(os::AnsiString("held"));
        EXPECT_EQ(test_support::ReadFile(file), Line("earlier run"));
    }
    log4me::LogInfo(os::AnsiString("free"));

    EXPECT_EQ(test_support::ReadFile(file), Line("earlier run") +
                                                Line("log4me:application starting....") +
                                                Line("held") + Line("free"));
    EXPECT_FALSE(os::FileExists(file + ".romtool.pending"));
    EXPECT_FALSE(station.Exists("log4me_err.log"));
}

}  // namespace
