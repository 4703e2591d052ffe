#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "log4me/log4me.h"
#include "logger_clock.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "temp_folder.h"

namespace {

const std::string kSep(1, os::kPathSeparator);

os::LocalTime At(int year, int month, int day, int hour, int minute, int second, int millisecond) {
    return os::LocalTime{year, month, day, hour, minute, second, millisecond};
}

// Every test runs the logger in a station folder of its own, on a clock it sets by hand.
class Logger : public ::testing::Test {
protected:
    void SetUp() override {
        now = At(2024, 2, 29, 12, 34, 56, 789);
        log4me::SetClock([this] { return test_support::ReadingAt(now, steadyAhead); });
    }
    void TearDown() override {
        log4me::Stop();
        log4me::SetClock({});
    }

    void WriteConfig(const std::string& path, const std::string& level) const {
        folder.Write("config.ini", "[log4me]\r\npath=" + path + "\r\nlevel=" + level + "\r\n");
    }
    void Start() const { log4me::Start(folder.Path()); }
    // Moves the clock on within the day.
    void Advance(int milliseconds) {
        int total = ((now.hour * 60 + now.minute) * 60 + now.second) * 1000 + now.millisecond +
                    milliseconds;
        now.millisecond = total % 1000;
        now.second = total / 1000 % 60;
        now.minute = total / 60000 % 60;
        now.hour = total / 3600000;
    }
    // The daily file of the clock's day in the given log folder.
    std::string DailyFile(const std::string& logFolder = "logs") const {
        return folder.Read(logFolder + kSep + log4me::DailyFileName(now));
    }
    static bool Holds(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    test_support::TempFolder folder;
    os::LocalTime now;
    // How far the steady clock is ahead of the wall clock: the time a setting back took away.
    std::chrono::milliseconds steadyAhead{0};
};

TEST_F(Logger, WritesLinesInTheirExactForm) {
    WriteConfig("logs", "info");
    folder.MakeFolder("logs");
    Start();
    log4me::LogInfo(os::AnsiString("text"));
    log4me::LogError(os::AnsiString("boom"));
    log4me::Stop();

    EXPECT_EQ(folder.Read("logs" + kSep + "2024-02-29.log"),
              "12:34:56.789 [info ]log4me:application starting....\r\n"
              "12:34:56.789 [info ]text\r\n"
              "12:34:56.789 [error]boom\r\n"
              "12:34:56.789 [info ]log4me:application stoping....\r\n");
}

TEST_F(Logger, NamesAndTimesAreZeroPadded) {
    WriteConfig("logs", "info");
    folder.MakeFolder("logs");
    now = At(2013, 1, 5, 1, 2, 3, 4);
    Start();
    EXPECT_EQ(folder.Read("logs" + kSep + "2013-01-05.log"),
              "01:02:03.004 [info ]log4me:application starting....\r\n");
}

TEST_F(Logger, AnsiBytesAreWrittenAsTheyAre) {
    WriteConfig("logs", "info");
    folder.MakeFolder("logs");
    Start();
    const std::string bytes = "\xD0\xB4\xC8\xEB hex";  // code page 936 bytes, not UTF-8
    log4me::LogInfo(os::AnsiString(bytes));
    EXPECT_TRUE(Holds(DailyFile(), "[info ]" + bytes + "\r\n"));
}

TEST_F(Logger, LineEndsAtAZeroByte) {
    WriteConfig("logs", "info");
    folder.MakeFolder("logs");
    Start();
    log4me::LogInfo(os::AnsiString(std::string("ab\0cd", 5)));
    const std::string file = DailyFile();
    EXPECT_EQ(file.substr(file.size() - 9), "[info ]ab");
}

// --- Levels ----------------------------------------------------------------------------------

struct LevelCase {
    const char* level;
    bool errorLines;
    bool infoLines;
};

class LoggerLevel : public Logger, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(LoggerLevel, EnablesLinesByTheLevelTable) {
    WriteConfig("logs", GetParam().level);
    folder.MakeFolder("logs");
    Start();
    log4me::LogError(os::AnsiString("an error"));
    log4me::LogInfo(os::AnsiString("some info"));
    const std::string file = DailyFile();
    EXPECT_EQ(Holds(file, "[error]an error\r\n"), GetParam().errorLines);
    EXPECT_EQ(Holds(file, "[info ]some info\r\n"), GetParam().infoLines);
    EXPECT_EQ(Holds(file, "starting"), GetParam().infoLines);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LoggerLevel,
    ::testing::Values(LevelCase{"debug", true, true}, LevelCase{"info", true, true},
                      LevelCase{"Info", true, true}, LevelCase{"error", true, false},
                      LevelCase{"ERROR", true, false}, LevelCase{"warning", false, false},
                      LevelCase{"", false, false}));

// --- Configuration ---------------------------------------------------------------------------

TEST_F(Logger, ConfigurationPutInPlaceAfterTheStartTakesEffectAtTheNextLine) {
    folder.MakeFolder("logs");
    Start();
    log4me::LogError(os::AnsiString("before"));
    WriteConfig("logs", "info");
    Advance(1000);
    log4me::LogError(os::AnsiString("within the second"));
    Advance(1);
    log4me::LogInfo(os::AnsiString("after"));

    EXPECT_EQ(DailyFile(), "12:34:57.790 [info ]after\r\n");
    EXPECT_FALSE(folder.Exists("log4me_err.log"));
}

TEST_F(Logger, ConfigurationWithoutSectionGivesDefaults) {
    folder.Write("config.ini", "[other]\r\npath=elsewhere\r\nlevel=error\r\n");
    folder.MakeFolder("logs");
    Start();
    log4me::LogInfo(os::AnsiString("x"));
    EXPECT_TRUE(Holds(DailyFile("logs"), "[info ]x\r\n"));
}

TEST_F(Logger, ConfigurationWithoutKeysGivesDefaults) {
    folder.Write("config.ini", "[log4me]\r\n");
    folder.MakeFolder("logs");
    Start();
    log4me::LogInfo(os::AnsiString("x"));
    EXPECT_TRUE(Holds(DailyFile("logs"), "[info ]x\r\n"));
}

TEST_F(Logger, ReloadsOnlyWhenMoreThanASecondHasPassed) {
    WriteConfig("logs", "info");
    folder.MakeFolder("logs");
    folder.MakeFolder("moved");
    Start();
    WriteConfig("moved", "info");

    Advance(1000);
    log4me::LogInfo(os::AnsiString("within the second"));
    Advance(1);
    log4me::LogInfo(os::AnsiString("after the second"));

    EXPECT_TRUE(Holds(DailyFile("logs"), "within the second"));
    EXPECT_FALSE(Holds(DailyFile("logs"), "after the second"));
    EXPECT_TRUE(Holds(DailyFile("moved"), "after the second"));
}

TEST_F(Logger, ReloadsAfterASecondEvenWhenTheWallClockWasSetBack) {
    WriteConfig("logs", "info");
    folder.MakeFolder("logs");
    folder.MakeFolder("moved");
    Start();
    WriteConfig("moved", "info");

    // An operator sets the clock back an hour; a second and a half really pass.
    now.hour -= 1;
    steadyAhead = std::chrono::hours(1);
    Advance(1500);
    log4me::LogInfo(os::AnsiString("after the setting back"));

    EXPECT_TRUE(Holds(DailyFile("moved"), "after the setting back"));
}

// A line of any level reads the configuration again when it is due, disabled or not, and
// follows what it read.
TEST_F(Logger, NewLevelAppliesFromTheLineThatReloads) {
    WriteConfig("logs", "info");
    folder.MakeFolder("logs");
    Start();
    WriteConfig("logs", "error");
    Advance(1001);
    log4me::LogInfo(os::AnsiString("reloads, dropped"));
    log4me::LogError(os::AnsiString("kept"));
    WriteConfig("logs", "info");
    Advance(1001);
    log4me::LogInfo(os::AnsiString("reloads, kept"));

    const std::string file = DailyFile();
    EXPECT_FALSE(Holds(file, "dropped"));
    EXPECT_TRUE(Holds(file, "[error]kept"));
    EXPECT_TRUE(Holds(file, "[info ]reloads, kept"));
}

// --- Files -----------------------------------------------------------------------------------

TEST_F(Logger, DailyFileChangesAtMidnight) {
    WriteConfig("logs", "info");
    folder.MakeFolder("logs");
    now = At(2023, 12, 31, 23, 59, 59, 500);
    Start();
    now = At(2023, 12, 31, 23, 59, 59, 999);
    log4me::LogInfo(os::AnsiString("old year"));
    now = At(2024, 1, 1, 0, 0, 0, 0);
    log4me::LogInfo(os::AnsiString("new year"));

    const std::string oldDay = folder.Read("logs" + kSep + "2023-12-31.log");
    const std::string newDay = folder.Read("logs" + kSep + "2024-01-01.log");
    EXPECT_TRUE(Holds(oldDay, "23:59:59.999 [info ]old year\r\n"));
    EXPECT_FALSE(Holds(oldDay, "new year"));
    EXPECT_EQ(newDay, "00:00:00.000 [info ]new year\r\n");
}

TEST_F(Logger, SecondCountsAcrossMidnightAndMonthEnd) {
    WriteConfig("logs", "info");
    folder.MakeFolder("logs");
    folder.MakeFolder("moved");
    now = At(2023, 12, 31, 23, 59, 59, 500);
    Start();
    WriteConfig("moved", "info");
    now = At(2024, 1, 1, 0, 0, 0, 501);  // 1001 ms later
    log4me::LogInfo(os::AnsiString("reloaded"));
    EXPECT_TRUE(Holds(DailyFile("moved"), "reloaded"));
}

TEST_F(Logger, StartLineFirstAndStopLineLast) {
    WriteConfig("logs", "debug");
    folder.MakeFolder("logs");
    folder.Write("logs" + kSep + log4me::DailyFileName(now), "earlier run\r\n");
    Start();
    log4me::LogInfo(os::AnsiString("work"));
    log4me::Stop();
    log4me::LogInfo(os::AnsiString("after stop"));

    EXPECT_EQ(DailyFile(),
              "earlier run\r\n"
              "12:34:56.789 [info ]log4me:application starting....\r\n"
              "12:34:56.789 [info ]work\r\n"
              "12:34:56.789 [info ]log4me:application stoping....\r\n");
}

TEST_F(Logger, LinesBeforeStartAreHarmless) {
    log4me::LogError(os::AnsiString("too early"));
    log4me::LogInfo(os::AnsiString("too early"));
    EXPECT_FALSE(folder.Exists("log4me_err.log"));
}

TEST_F(Logger, MissingLogFolderKeepsTheLineInMemoryAndReportsIt) {
    WriteConfig("logs", "info");
    Start();  // the start line cannot be written

    const std::string dailyPath = folder.Path() + kSep + "logs" + kSep + "2024-02-29.log";
    const std::string report = folder.Read("log4me_err.log");
    const std::string start =
        "2024-02-29 12:34:56.789 Cannot create file \"" + os::AbsolutePath(dailyPath) + "\". ";
    ASSERT_EQ(report.substr(0, start.size()), start) << report;
    EXPECT_GT(report.size(), start.size() + 2);
    EXPECT_EQ(report.substr(report.size() - 2), "\r\n");
    EXPECT_EQ(report.find("\r\n"), report.size() - 2) << "one line only";

    // The stream stayed closed, so the next line tries again, after the one that waited.
    folder.MakeFolder("logs");
    log4me::LogInfo(os::AnsiString("next"));
    EXPECT_EQ(DailyFile(),
              "12:34:56.789 [info ]log4me:application starting....\r\n"
              "12:34:56.789 [info ]next\r\n");
    EXPECT_EQ(folder.Read("log4me_err.log"), report);
}

TEST_F(Logger, AbsoluteFolderIsUsedAsItStandsAndATornLastLineIsClosed) {
    test_support::TempFolder elsewhere;
    WriteConfig(elsewhere.Path(), "info");
    elsewhere.Write(log4me::DailyFileName(now), "torn by a power c");
    Start();
    EXPECT_EQ(elsewhere.Read(log4me::DailyFileName(now)),
              "torn by a power c\r\n12:34:56.789 [info ]log4me:application starting....\r\n");
}

// Lines an earlier run had to keep while another program held their file go to it first.
TEST_F(Logger, PendingLinesOfAnEarlierRunGoFirstEachToItsOwnDay) {
    WriteConfig("logs", "info");
    folder.MakeFolder("logs");
    const std::string yesterday = "logs" + kSep + "2024-02-28.log";
    const std::string today = "logs" + kSep + "2024-02-29.log";
    folder.Write(yesterday, "12:00:00.000 [info ]first\r\n");
    folder.Write(yesterday + ".pending", "23:59:59.000 [info ]kept\r\n");
    folder.Write(today + ".pending", "00:00:01.000 [info ]kept too\r\n");
    folder.Write("logs" + kSep + "2024-02-29.csv.pending", "another file's");
    folder.Write(today + ".Line2.pending", "another program's");
    Start();
    log4me::LogInfo(os::AnsiString("next"));

    EXPECT_EQ(folder.Read(yesterday), "12:00:00.000 [info ]first\r\n23:59:59.000 [info ]kept\r\n");
    EXPECT_EQ(folder.Read(today),
              "00:00:01.000 [info ]kept too\r\n"
              "12:34:56.789 [info ]log4me:application starting....\r\n"
              "12:34:56.789 [info ]next\r\n");
    EXPECT_FALSE(folder.Exists(yesterday + ".pending"));
    EXPECT_FALSE(folder.Exists(today + ".pending"));
    EXPECT_TRUE(folder.Exists("logs" + kSep + "2024-02-29.csv.pending"));
    EXPECT_EQ(folder.Read(today + ".Line2.pending"), "another program's");
    EXPECT_FALSE(folder.Exists("log4me_err.log"));
}

// Two copies of the program in one folder, each with its own pending file: neither writes nor
// removes the other's pieces, so none is lost or doubled when the file takes pieces again.
TEST_F(Logger, EachOwnerWritesOnlyItsOwnPendingPieces) {
    const std::string logs = folder / "logs" + kSep;
    folder.MakeFolder("logs" + kSep + "2024-02-29.csv");  // the day's file cannot be made
    log4me::DatedFileAppender first(".csv", "header\r\n", false, "romtool", 1 << 20);
    log4me::DatedFileAppender second(".csv", "header\r\n", false, "Line2", 1 << 20);
    const auto steady = std::chrono::steady_clock::now();
    const auto append = [&](log4me::DatedFileAppender& copy, const std::string& row) {
        return copy.Append(logs, now, row + "\r\n", steady).placement;
    };
    EXPECT_EQ(append(first, "a1"), log4me::Placement::kWaitingOnDisk);
    EXPECT_EQ(append(second, "b1"), log4me::Placement::kWaitingOnDisk);
    EXPECT_EQ(append(first, "a2"), log4me::Placement::kWaitingOnDisk);

    std::filesystem::remove(std::filesystem::u8path(logs + "2024-02-29.csv"));
    EXPECT_EQ(append(first, "a3"), log4me::Placement::kInFile);
    EXPECT_EQ(folder.Read("logs" + kSep + "2024-02-29.csv.Line2.pending"), "b1\r\n");
    EXPECT_EQ(append(second, "b2"), log4me::Placement::kInFile);
    EXPECT_EQ(folder.Read("logs" + kSep + "2024-02-29.csv"),
              "header\r\na1\r\na2\r\na3\r\nb1\r\nb2\r\n");
    EXPECT_EQ(first.Flush() + second.Flush(), 0u);
    EXPECT_FALSE(folder.Exists("logs" + kSep + "2024-02-29.csv.romtool.pending"));
    EXPECT_FALSE(folder.Exists("logs" + kSep + "2024-02-29.csv.Line2.pending"));
}

// Two loggers in one process, each on its own folder and clock: neither sees the other's.
TEST(LoggerObjects, EachKeepsItsOwnFolderAndClock) {
    test_support::TempFolder a;
    test_support::TempFolder b;
    for (const auto* station : {&a, &b}) {
        station->Write("config.ini", "[log4me]\r\npath=logs\r\nlevel=info\r\n");
        station->MakeFolder("logs");
    }
    log4me::Logger first(a.Path(), "romtool",
                         [] { return test_support::ReadingAt(At(2024, 1, 2, 3, 4, 5, 6)); });
    log4me::Logger second(b.Path(), "romtool",
                          [] { return test_support::ReadingAt(At(2025, 6, 7, 8, 9, 10, 11)); });
    first.Info(os::AnsiString("a"));
    second.Error(os::AnsiString("b"));
    EXPECT_EQ(a.Read("logs" + kSep + "2024-01-02.log"), "03:04:05.006 [info ]a\r\n");
    EXPECT_EQ(b.Read("logs" + kSep + "2025-06-07.log"), "08:09:10.011 [error]b\r\n");
}

}  // namespace
