// romtool-report --database: the same table and page from the factory's database as from the
// stations' files the rows came from.
#include <gtest/gtest.h>

#include "database/factory_database.h"
#include "database_fixture.h"
#include "odbc/secrets.h"
#include "platform/paths.h"
#include "report/run_report.h"
#include "temp_folder.h"

namespace {

using database::RecordFields;
using database_test::Row;
using record::Column;

const std::string kSep(1, os::kPathSeparator);

RecordFields Press(const std::string& title, const std::string& time, const std::string& verdict,
                   const std::string& deviceId, const std::string& serial,
                   const std::string& fixture = "") {
    RecordFields row = Row(title, time, serial);
    row[record::IndexOf(Column::kFixture)] = fixture;
    row[record::IndexOf(Column::kVerdict)] = verdict;
    row[record::IndexOf(Column::kErrorCode)] = verdict == "PASS" ? "0" : "107";
    row[record::IndexOf(Column::kDeviceId)] = deviceId;
    return row;
}

// Three record files of two stations over two days, delivered to the database.
class ReportFromTheDatabase : public testing::Test {
protected:
    void SetUp() override {
        database_test::EmptyTables();
        const std::string day4 = "2024-03-04T", day5 = "2024-03-05T";
        const struct {
            std::string station, title, day;
            std::vector<RecordFields> rows;
        } files[] = {
            {"st1",
             "Line1",
             "2024-03-04",
             {Press("Line1", day4 + "08:00:00.000", "PASS", "00000000000000A1", "100"),
              Press("Line1", day4 + "08:01:00.000", "FAIL", "00000000000000A2", "101"),
              Press("Line1", day4 + "08:02:30.500", "PASS", "00000000000000A2", "102")}},
            {"st1",
             "Line1",
             "2024-03-05",
             {Press("Line1", day5 + "09:00:00.000", "PASS", "00000000000000A1", "99"),
              Press("Line1", day5 + "13:10:00.000", "FAIL", "", "")}},
            {"st2",
             "Line2",
             "2024-03-05",
             {Press("Line2", day5 + "09:30:00.000", "PASS", "00000000000000A2", "500", "1"),
              Press("Line2", day5 + "10:00:00.000", "FAIL", "00000000000000B1", "501", "2")}},
        };
        database::FactoryDatabase factory(database_test::StationConnection());
        for (const auto& file : files) {
            share_.MakeFolder(file.station);
            const std::string folder = share_ / file.station + kSep;
            test_support::WriteFile(folder + file.day + ".csv",
                                    database_test::RecordText(file.rows));
            database::RecordDelivery(file.title).Run(folder, file.station, &factory, [] {
                return true;
            });
        }
    }

    test_support::TempFolder share_;
    const std::string database_ = database_test::ReportConnection();
};

TEST_F(ReportFromTheDatabase, GivesTheTablesOfTheFilesTheRowsCameFrom) {
    for (const char* table : {"--csv", "--fixture-csv"}) {
        for (const std::vector<std::string>& range :
             {std::vector<std::string>{}, {"--from", "2024-03-05"}, {"--to", "2024-03-04"}}) {
            std::vector<std::string> fromFiles = range, fromDatabase = range;
            fromFiles.insert(fromFiles.end(), {table, share_.Path()});
            fromDatabase.insert(fromDatabase.end(), {table, "--database", database_});
            const auto files = report::RunReport(fromFiles, "2024-03-06 12:00");
            const auto rows = report::RunReport(fromDatabase, "2024-03-06 12:00");
            EXPECT_EQ(rows.exitCode, report::kDone) << rows.errors;
            EXPECT_EQ(rows.output, files.output);
            EXPECT_EQ(rows.errors, files.errors);
        }
    }
}

TEST_F(ReportFromTheDatabase, GivesThePageOfTheFilesButForWhatItRead) {
    const auto files = report::RunReport({"-o", share_ / "files.html", share_.Path()}, "now");
    ASSERT_EQ(files.exitCode, report::kDone) << files.errors;
    const auto rows = report::RunReport({"-o", share_ / "db.html", "--database", database_}, "now");
    ASSERT_EQ(rows.exitCode, report::kDone) << rows.errors;
    std::string page = share_.Read("db.html");
    const std::string source = "the database " + odbc::MaskedConnectionString(database_);
    ASSERT_NE(page.find(source), std::string::npos);
    page.replace(page.find(source), source.size(), "3 record files");
    EXPECT_EQ(page, share_.Read("files.html"));
    EXPECT_EQ(rows.errors.find("Pwd=report"), std::string::npos);
}

TEST_F(ReportFromTheDatabase, SaysWhenTheDatabaseCannotBeRead) {
    std::string connection = database_test::ReportConnection();
    connection = connection.substr(0, connection.find(";Pwd=")) + ";Pwd=not-it";
    const auto result = report::RunReport({"--csv", "--database", connection}, "now");
    EXPECT_EQ(result.exitCode, report::kNoDatabase);
    EXPECT_NE(result.errors.find("password authentication failed"), std::string::npos);
    EXPECT_EQ(result.errors.find("not-it"), std::string::npos);
}

}  // namespace
