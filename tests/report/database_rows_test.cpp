// The database's rows as the report takes them: a value that is not what its column holds makes
// the row unread, as in a file, and nothing the database answers ends the program.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/text.h"
#include "report/database_source.h"
#include "report/run_report.h"
#include "temp_folder.h"

namespace {

using odbc::ResultRow;

class Collect : public report::RecordSink {
public:
    void OnPress(const report::Press&) override { ++presses; }
    void OnBadRow(report::BadRow bad) override { bad_rows.push_back(bad); }
    int presses = 0;
    std::vector<report::BadRow> bad_rows;
};

// time, title, station_folder, verdict, error_code, run_ms, device_id, serial_number, fixture, id
ResultRow Row(const std::string& verdict, std::optional<std::string> id) {
    return {"2024-03-05T08:00:00.000", "Line1", "C:\\St\\", verdict,      "0", "4000",
            "00000000000000A1",        "100",   "A",        std::move(id)};
}

TEST(TakeDatabaseRow, ABadValueMakesTheRowUnreadNeverAnException) {
    const struct {
        ResultRow row;
        std::uint64_t line;  // of the bad row; none when the row is a press
        std::string reason;
    } cases[] = {
        {Row("PASS", "17"), 0, ""},
        {Row("OK", "17"), 17, "verdict is neither PASS nor FAIL"},
        {Row("PASS", "x"), 0, "id is not a number"},
        {Row("PASS", std::nullopt), 0, "id is not a number"},
        {Row("OK", "x"), 0, "verdict is neither PASS nor FAIL"},
        {Row("OK", "12abc"), 0, "verdict is neither PASS nor FAIL"},
        {Row("OK", "99999999999999999999999"), 0, "verdict is neither PASS nor FAIL"},
        {{"2024-03-05T08:00:00.000", "Line1", "17"}, 0, "the query gave 3 columns, not 10"},
    };
    for (const auto& c : cases) {
        Collect collect;
        report::TakeDatabaseRow(c.row, collect);
        SCOPED_TRACE(c.row.back().value_or("NULL"));
        EXPECT_EQ(collect.presses, c.reason.empty() ? 1 : 0);
        ASSERT_EQ(collect.bad_rows.size(), c.reason.empty() ? 0u : 1u);
        if (!c.reason.empty()) {
            EXPECT_EQ(collect.bad_rows[0].path, "database");
            EXPECT_EQ(collect.bad_rows[0].line, c.line);
            EXPECT_EQ(collect.bad_rows[0].reason, c.reason);
        }
    }
}

TEST(RunReportFromTheDatabase, NamesARowWithoutItsIdAndStopsCleanlyOnAnyError) {
    test_support::TempFolder folder;
    const auto rows = [](const std::string&, auto, auto, report::RecordSink& sink) {
        report::TakeDatabaseRow(Row("PASS", "1"), sink);
        report::TakeDatabaseRow(Row("PASS", "not-an-id"), sink);
        return std::uint64_t{2};
    };
    const auto page =
        report::RunReport({"-o", folder / "r.html", "--database", "DSN=x"}, "now", rows);
    EXPECT_EQ(page.exitCode, report::kDone) << page.errors;
    EXPECT_NE(page.errors.find("database: id is not a number"), std::string::npos) << page.errors;
    EXPECT_NE(folder.Read("r.html").find("<td>database</td><td class=\"n\"></td>"),
              std::string::npos);

    const auto fails = [](const std::string&, auto, auto, report::RecordSink&) -> std::uint64_t {
        throw std::length_error("basic_string::append");
    };
    const auto stopped = report::RunReport({"--csv", "--database", "DSN=x"}, "now", fails);
    EXPECT_EQ(stopped.exitCode, report::kNoDatabase);
    EXPECT_EQ(stopped.errors,
              "romtool-report: cannot read the database DSN=x: basic_string::append" +
                  std::string(os::kLineBreak));
}

}  // namespace
