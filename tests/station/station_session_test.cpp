// The station as a session without any window: presses run from the check to the settled number
// and return what happened; what goes wrong after a verdict is told, never swallowed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "csv_reader.h"
#include "record/record_columns.h"
#include "serial_numbers/serial_number_store.h"
#include "station/press/station.h"
#include "station_fixture.h"

using namespace station;

using ::testing::HasSubstr;

namespace {

// Everything the station tells while it works, kept; nothing painted.
class KeptEvents : public QuietEvents {
public:
    std::vector<std::string> verdicts;
    std::function<void()> whenRunStarts;  // after the number is reserved, before the run

    void RunStarting() override {
        if (whenRunStarts) {
            whenRunStarts();
        }
    }
    void VerdictReached(const Verdict& verdict) override { verdicts.push_back(verdict.caption); }
};

constexpr char kNumbered[] = "[serial]\r\naddress=0x10001080\r\nfirst=500\r\nlast=599\r\n";

class StationSession : public StationTest {
protected:
    station::Station& Started() {
        auto& folder = Station();
        folder.Write("config.ini", folder.Read("config.ini") + kNumbered);
        session_ = std::make_unique<station::Station>(folder.Path() + kExecutableName, [] {});
        session_->Init(true, events_);
        return *session_;
    }
    void TearDown() override {
        session_.reset();  // before the logger stops
        StationTest::TearDown();
    }
    KeptEvents events_;
    std::unique_ptr<station::Station> session_;
};

TEST_F(StationSession, RunsPressesWithoutAnyWindow) {
    station::Station& station = Started();
    struct Expected {
        const char* standIn;
        const char* verdict;
        std::uint32_t number;
    };
    const Expected presses[] = {
        {"", "PASS", 500}, {"verify=fail\n", "FAIL", 501}, {"", "PASS", 502}};
    for (const Expected& press : presses) {
        station_->SetStandIn(press.standIn);
        const PressOutcome outcome = station.Press(true, events_);
        EXPECT_EQ(outcome.verdict.caption, press.verdict);
        EXPECT_EQ(outcome.serialNumber, press.number);
        EXPECT_EQ(outcome.row.pass, std::string(press.verdict) == "PASS");
        EXPECT_EQ(outcome.row.serialNumber, press.number);
        EXPECT_TRUE(outcome.notes.empty());
    }
    EXPECT_EQ(station.CountsText().rfind("今日 PASS 2  FAIL 1", 0), 0u) << station.CountsText();
    EXPECT_EQ(events_.verdicts, (std::vector<std::string>{"PASS", "FAIL", "PASS"}));
    const test_support::CsvRows rows = RecordRows();
    ASSERT_EQ(rows.size(), 4u);
    const auto column = record::IndexOf(record::Column::kSerialNumber);
    EXPECT_EQ(rows[1][column], "500");
    EXPECT_EQ(rows[2][column], "501");
    EXPECT_EQ(rows[3][column], "502");
}

// The numbers' file cannot take the settled number: the verdict and the row stand, and the
// operator and the log are told; the number is never issued again.
TEST_F(StationSession, ANumberThatCannotBeSettledIsTold) {
    station::Station& station = Started();
    events_.whenRunStarts = [&] { station_->Write(serial_numbers::kStateFileName, "damaged\n"); };
    const PressOutcome outcome = station.Press(true, events_);
    EXPECT_EQ(outcome.verdict.caption, "PASS");
    ASSERT_EQ(outcome.notes.size(), 1u);
    EXPECT_THAT(outcome.notes[0], ::testing::StartsWith("ERROR:序列号500未能登记为已用："));
    EXPECT_THAT(Log(), HasSubstr(ErrorLine(outcome.notes[0])));
    EXPECT_EQ(RecordRows().size(), 2u);
}

}  // namespace
