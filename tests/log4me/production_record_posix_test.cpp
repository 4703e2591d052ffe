// Two running copies of the station appending to the same day's production record.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "csv_reader.h"
#include "log4me.h"
#include "os.h"
#include "production_record.h"
#include "temp_folder.h"

namespace {

void AppendRows(const std::string& appFolder, const std::string& who, int count) {
    log4me::Start(appFolder);
    log4me::ProductionRecord record;
    record.title = who;
    for (int i = 0; i < count; ++i) {
        // A field with a line break: a row cut or mixed with another would not read back.
        record.imagePath = "/line,\"" + who + "\"\r\n" + std::to_string(i);
        log4me::AppendProductionRecord(record);
    }
    log4me::Stop();
}

TEST(RecordTwoProcesses, OneHeaderAndNoRowOfEitherLost) {
    test_support::TempFolder folder;
    folder.Write("config.ini", "[log4me]\r\npath=logs\r\nlevel=info\r\n");
    folder.MakeFolder("logs");
    const os::LocalTime now{2024, 5, 6, 7, 8, 9, 10};
    log4me::SetClock([now] { return now; });
    constexpr int kRows = 1000;

    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        AppendRows(folder.Path(), "child", kRows);
        _exit(0);
    }
    AppendRows(folder.Path(), "parent", kRows);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    log4me::SetClock({});

    const std::string file = folder.Read("logs/2024-05-06.csv");
    ASSERT_EQ(file.substr(0, 3), "\xEF\xBB\xBF");
    const test_support::CsvRows rows = test_support::ReadCsv(file.substr(3));
    ASSERT_EQ(rows.size(), 1u + 2 * kRows);
    EXPECT_EQ(rows[0][0], "time");
    int seen[2][kRows] = {};
    for (std::size_t i = 1; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 12u) << i;
        const int who = rows[i][1] == "parent" ? 0 : 1;
        const std::string prefix = "/line,\"" + rows[i][1] + "\"\r\n";
        ASSERT_EQ(rows[i][4].substr(0, prefix.size()), prefix) << i;
        ++seen[who][std::stoi(rows[i][4].substr(prefix.size()))];
    }
    for (const auto& copy : seen) {
        for (const int count : copy) {
            ASSERT_EQ(count, 1);
        }
    }
}

}  // namespace
