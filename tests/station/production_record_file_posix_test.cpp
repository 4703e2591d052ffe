// Two running copies of the station appending to the same days' production records.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "csv_reader.h"
#include "log4me/log4me.h"
#include "logger_clock.h"
#include "platform/clock.h"
#include "record/record_columns.h"
#include "station/press/record_appender.h"
#include "temp_folder.h"

using namespace station;

namespace {

constexpr int kRows = 1000;
constexpr int kRowsPerDay = 20;  // both copies start each day's file at about the same moment

// Appends kRows rows to the record in folder, moving to the next day every kRowsPerDay rows.
void AppendRows(const std::string& folder, const std::string& who) {
    ProductionRecordFile file(who);
    os::LocalTime now{2024, 5, 1, 7, 8, 9, 10};
    log4me::SetClock([&now] { return test_support::ReadingAt(now); });
    record::ProductionRecord record;
    record.title = who;
    for (int i = 0; i < kRows; ++i) {
        now.day = 1 + i / kRowsPerDay;
        // A field with a line break: a row cut or mixed with another would not read back.
        record.imagePath = "/line,\"" + who + "\"\r\n" + std::to_string(i);
        file.Append(folder + "logs/", record);
    }
    log4me::Stop();
    log4me::SetClock({});
}

TEST(RecordTwoProcesses, OneHeaderPerFileAndNoRowOfEitherLost) {
    test_support::TempFolder folder;
    folder.Write("config.ini", "[log4me]\r\npath=logs\r\nlevel=info\r\n");
    folder.MakeFolder("logs");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    log4me::Start(folder.Path());

    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        close(ready[0]);
        const bool told = write(ready[1], "r", 1) == 1;
        AppendRows(folder.Path(), "child");
        _exit(told ? 0 : 1);
    }
    close(ready[1]);
    char byte = 0;
    EXPECT_EQ(read(ready[0], &byte, 1), 1);  // the child is about to start too
    close(ready[0]);
    AppendRows(folder.Path(), "parent");
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    int seen[2][kRows] = {};
    for (int day = 1; day <= kRows / kRowsPerDay; ++day) {
        char name[32];
        std::snprintf(name, sizeof name, "logs/2024-05-%02d.csv", day);
        const std::string file = folder.Read(name);
        ASSERT_EQ(file.substr(0, 3), "\xEF\xBB\xBF") << name;
        const test_support::CsvRows rows = test_support::ReadCsv(file.substr(3));
        ASSERT_EQ(rows.size(), 1u + 2 * kRowsPerDay) << name;
        EXPECT_EQ(rows[0][0], "time") << name;
        for (std::size_t i = 1; i < rows.size(); ++i) {
            ASSERT_EQ(rows[i].size(), record::kStationColumns) << name << " row " << i;
            const std::string prefix = "/line,\"" + rows[i][1] + "\"\r\n";
            ASSERT_EQ(rows[i][4].substr(0, prefix.size()), prefix) << name << " row " << i;
            ++seen[rows[i][1] == "parent" ? 0 : 1][std::stoi(rows[i][4].substr(prefix.size()))];
        }
    }
    for (const auto& copy : seen) {
        for (const int count : copy) {
            ASSERT_EQ(count, 1);
        }
    }
}

}  // namespace
