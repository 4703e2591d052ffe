#include "report/run_report.h"

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "report_fixture.h"
#include "temp_folder.h"

namespace {

using report_test::R;
using report_test::RecordText;
using report_test::Row;

const std::string kSep(1, os::kPathSeparator);

// Two stations' folders under one share, three days.
class RunReport : public ::testing::Test {
protected:
    void SetUp() override {
        share_.MakeFolder("st1");
        share_.MakeFolder("st1" + kSep + "logs");
        share_.MakeFolder("st2");
        share_.MakeFolder("st2" + kSep + "logs");
        Write("st1", "2024-03-04", RecordText(12, {R("2024-03-04T08:00:00.000")}));
        Write("st1", "2024-03-05",
              RecordText(13, {R("2024-03-05T08:00:00.000"),
                              R("2024-03-05T08:01:00.000", "FAIL", "107", "2000"),
                              R("2024-03-05T09:00:00.000", "PASS", "0", "5000")}));
        Row other = R("2024-03-06T10:00:00.000");
        other.title = "Line2";
        other.folder = "D:\\Station2\\";
        other.fixture = "A";
        Write("st2", "2024-03-06", RecordText(record::kStationColumns, {other}));
        share_.Write("notes.csv", "not,a,record\r\n");
        share_.Write("2024-03-07.log", "");
    }
    void Write(const std::string& station, const std::string& day, const std::string& text) {
        share_.Write(station + kSep + "logs" + kSep + day + ".csv", text);
    }
    report::RunResult Run(std::vector<std::string> arguments) {
        return report::RunReport(arguments, "2024-03-07 12:00");
    }

    test_support::TempFolder share_;
};

// --csv: a row per station and day; --fixture-csv: a row per station and fixture, all days.
TEST_F(RunReport, PrintsEachTableOfEveryStation) {
    const struct {
        const char* option;
        const char* table;
    } cases[] = {
        {"--csv",
         "title,station_folder,day,presses,boards,pass,fail,first_pass_yield_pct,"
         "final_yield_pct,cycle_median_ms,cycle_p95_ms,boards_per_hour\r\n"
         "Line1,C:\\Station\\,2024-03-04,1,1,1,0,100.0,100.0,4000,4000,1.0\r\n"
         "Line1,C:\\Station\\,2024-03-05,3,3,2,1,66.7,66.7,4000,5000,1.5\r\n"
         "Line2,D:\\Station2\\,2024-03-06,1,1,1,0,100.0,100.0,4000,4000,1.0\r\n"},
        {"--fixture-csv",
         "title,station_folder,fixture,presses,boards,first_pass_yield_pct\r\n"
         "Line1,C:\\Station\\,,4,4,75.0\r\n"
         "Line2,D:\\Station2\\,A,1,1,100.0\r\n"},
    };
    for (const auto& c : cases) {
        const report::RunResult result = Run({c.option, share_.Path()});
        EXPECT_EQ(result.exitCode, report::kDone) << result.errors;
        EXPECT_EQ(result.output, c.table);
        EXPECT_EQ(result.errors, "");
    }
}

TEST_F(RunReport, CountsOnlyTheDaysAsked) {
    const struct {
        std::vector<std::string> range;
        std::size_t rows;
    } cases[] = {
        {{"--from", "2024-03-05"}, 2},
        {{"--to", "2024-03-05"}, 2},
        {{"--from=2024-03-05", "--to=2024-03-05"}, 1},
        {{"--from", "2024-03-04", "--to", "2024-03-06"}, 3},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.range;
        arguments.push_back("--csv");
        arguments.push_back(share_.Path());
        const report::RunResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, report::kDone);
        EXPECT_EQ(
            static_cast<std::size_t>(std::count(result.output.begin(), result.output.end(), '\n')),
            c.rows + 1)
            << result.output;
    }
}

TEST_F(RunReport, NoRecordIsExitOne) {
    const struct {
        std::vector<std::string> arguments;
    } cases[] = {
        {{"--from", "2025-01-01", share_.Path()}},
        {{share_ / "notes.csv"}},
        {{share_ / "no such folder"}},
    };
    for (const auto& c : cases) {
        const report::RunResult result = Run(c.arguments);
        EXPECT_EQ(result.exitCode, report::kNoRecord) << c.arguments[0];
        EXPECT_NE(result.errors.find("no production record"), std::string::npos);
    }
}

TEST_F(RunReport, BadArgumentsAreExitTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--from"},
        {"--from", "2024-3-5", "x"},
        {"--from", "2024-02-30", "x"},
        {"--from", "2024-03-06", "--to", "2024-03-05", "x"},
        {"--csv", "-o", "r.html", "x"},
        {"--fixture-csv", "-o", "r.html", "x"},
        {"--csv", "--fixture-csv", "x"},
        {"--bogus", "x"},
        {"--csv=yes", "x"},
        {"-o", "", "x"},
    };
    for (const auto& arguments : cases) {
        const report::RunResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, report::kBadArguments)
            << (arguments.empty() ? "(none)" : arguments[0]);
        EXPECT_NE(result.errors.find("usage: romtool-report"), std::string::npos);
    }
    EXPECT_EQ(Run({"--help"}).exitCode, report::kDone);
    EXPECT_NE(Run({"--help"}).output.find("usage:"), std::string::npos);
}

TEST_F(RunReport, WritesThePageAndNamesBadRows) {
    Write("st2", "2024-03-05", RecordText(13, {}) + "2024-03-05T08:00:00.000,cut,short\r\n");
    const report::RunResult result = Run({"-o", share_ / "report.html", share_.Path()});
    EXPECT_EQ(result.exitCode, report::kDone);
    EXPECT_NE(result.errors.find("2024-03-05.csv:2: it has 3 fields, its file's header 13"),
              std::string::npos)
        << result.errors;
    EXPECT_NE(result.errors.find("wrote " + (share_ / "report.html")), std::string::npos);
    const std::string html = share_.Read("report.html");
    EXPECT_NE(html.find("<td>2024-03-05</td><td class=\"n\">3</td>"), std::string::npos);
    EXPECT_NE(html.find("it has 3 fields, its file&#39;s header 13"), std::string::npos);
    EXPECT_NE(html.find("Chart.js v"), std::string::npos) << "Chart.js is inlined";
}

TEST_F(RunReport, ReadsAFileGivenByNameAndCountsItOnce) {
    const std::string file = share_ / ("st1" + kSep + "logs" + kSep + "2024-03-04.csv");
    const report::RunResult result = Run({"--csv", file, file, share_ / "st1"});
    EXPECT_EQ(result.exitCode, report::kDone);
    EXPECT_NE(result.output.find("2024-03-04,1,1,1,0"), std::string::npos) << result.output;
}

}  // namespace
