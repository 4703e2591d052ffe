// Sending the record's rows, against a stand-in for the database: which rows go, in what order,
// what a restart, a refusal, a failure and a file changed under the sender do.
#include "database/record_delivery.h"

#include <gtest/gtest.h>

#include <functional>

#include "database_fixture.h"
#include "integrity/md5.h"
#include "odbc/odbc.h"
#include "record/csv.h"
#include "temp_folder.h"

namespace {

using database::RecordDelivery;
using database::RecordFields;
using database_test::Row;
using database_test::TimeOfDay;

// Takes rows as the database would; fault may throw for a row.
class StandInDatabase : public database::RowDestination {
public:
    void AddRow(const std::string& key, const std::string& station,
                const RecordFields& fields) override {
        if (fault) {
            fault(fields);
        }
        keys.push_back(key);
        serials.push_back(fields[record::IndexOf(record::Column::kSerialNumber)]);
        EXPECT_EQ(station, "L3-S07");
    }
    std::vector<std::string> keys;
    std::vector<std::string> serials;
    std::function<void(const RecordFields&)> fault;
};

class RecordDeliveryTest : public testing::Test {
protected:
    database::DeliveryRound Run(RecordDelivery& delivery, database::RowDestination* to) {
        return delivery.Run(folder_.Path(), "L3-S07", to, [] { return true; });
    }
    // Rows of romtool numbered first to last, at one second each.
    static std::string Rows(int first, int last, const std::string& title = "romtool") {
        std::string text;
        for (int n = first; n <= last; ++n) {
            text += record::RowText(Row(title, TimeOfDay(n), std::to_string(n)));
        }
        return text;
    }
    void Append(const std::string& day, const std::string& text) {
        const std::string name = day + ".csv";
        folder_.Write(
            name,
            (folder_.Exists(name) ? folder_.Read(name) : database_test::RecordText({})) + text);
    }

    test_support::TempFolder folder_;
    StandInDatabase database_;
};

TEST_F(RecordDeliveryTest, SendsItsOwnEndedRowsDayByDayAndAfterARestartOnlyWhatIsMissing) {
    Append("2024-03-05", Rows(2, 2) + Rows(90, 90, "Line2") + Rows(3, 3));
    Append("2024-03-04", Rows(1, 1));
    const std::string unfinished = record::RowText(Row("romtool", TimeOfDay(4), "4"));
    Append("2024-03-05", unfinished.substr(0, 40));  // being written right now
    folder_.Write("notes.csv", "time,verdict\r\n");
    {
        RecordDelivery delivery("romtool");
        const auto round = Run(delivery, &database_);
        EXPECT_EQ(round.delivered, 3u);
        EXPECT_EQ(round.waiting, 0u);
        EXPECT_EQ(database_.serials, (std::vector<std::string>{"1", "2", "3"}));
        EXPECT_EQ(Run(delivery, &database_).delivered, 0u);
    }
    Append("2024-03-05", unfinished.substr(40) + Rows(5, 5));
    RecordDelivery restarted("romtool");
    EXPECT_EQ(Run(restarted, nullptr).waiting, 2u);
    EXPECT_EQ(Run(restarted, &database_).delivered, 2u);
    EXPECT_EQ(database_.serials, (std::vector<std::string>{"1", "2", "3", "4", "5"}));
}

TEST_F(RecordDeliveryTest, TheKeyIsTheRowsAndTheStationsSoARowWrittenTwiceIsOneRow) {
    const RecordFields row = Row("romtool", TimeOfDay(1), "1");
    RecordFields other = row;
    other[record::IndexOf(record::Column::kVerdict)] = "FAIL";
    EXPECT_EQ(database::DeliveryKey("A", row), database::DeliveryKey("A", row));
    EXPECT_NE(database::DeliveryKey("A", row), database::DeliveryKey("B", row));
    EXPECT_NE(database::DeliveryKey("A", row), database::DeliveryKey("A", other));
    EXPECT_EQ(database::DeliveryKey("A", row).size(), 32u);
    // A row without a label keeps the key of the 16-column layout, so an updated station sends
    // no delivered row again under a new key; a label makes it another row.
    const std::vector<std::string> before(row.begin(),
                                          row.begin() + record::kColumnsBeforeBoardLabel);
    EXPECT_EQ(database::DeliveryKey("A", row), integrity::Md5Hex("A," + record::RowText(before)));
    RecordFields labelled = row;
    labelled[record::IndexOf(record::Column::kBoardLabel)] = "PCB-1";
    EXPECT_NE(database::DeliveryKey("A", labelled), database::DeliveryKey("A", row));
}

TEST_F(RecordDeliveryTest, ARefusedRowIsRememberedWithItsReasonAndTheNextRowsGo) {
    // Row 2 is refused by the database, row 4 was cut short by a power cut.
    const std::string torn =
        record::RowText(Row("romtool", TimeOfDay(4), "4")).substr(0, 60) + "\r\n";
    Append("2024-03-05", Rows(1, 3) + torn + Rows(5, 5));
    database_.fault = [](const RecordFields& fields) {
        if (fields[record::IndexOf(record::Column::kSerialNumber)] == "2") {
            throw odbc::OdbcError("22001", "value too long for type character varying(16)");
        }
    };
    RecordDelivery delivery("romtool");
    const auto round = Run(delivery, &database_);
    EXPECT_EQ(database_.serials, (std::vector<std::string>{"1", "3", "5"}));
    ASSERT_EQ(round.refused.size(), 2u);
    EXPECT_EQ(round.refused[0].line, 3u);
    EXPECT_EQ(round.refused[0].reason, "value too long for type character varying(16)");
    EXPECT_EQ(round.refused[1].line, 5u);
    EXPECT_NE(round.refused[1].reason.find("fields"), std::string::npos);
    EXPECT_EQ(round.waiting, 0u);

    const std::string ledger = folder_.Read("sent-to-database.romtool.txt");
    EXPECT_NE(ledger.find("refused 2024-03-05.csv 3 value too long"), std::string::npos);
    RecordDelivery restarted("romtool");
    EXPECT_EQ(Run(restarted, &database_).refused.size(), 0u);
    EXPECT_EQ(database_.serials.size(), 3u);
}

TEST_F(RecordDeliveryTest, AFailureEndsTheRoundAndItsRowsWaitForTheNext) {
    Append("2024-03-05", Rows(1, 3));
    database_.fault = [](const RecordFields& fields) {
        if (fields[record::IndexOf(record::Column::kSerialNumber)] == "2") {
            throw odbc::OdbcError("08S01", "server closed the connection unexpectedly");
        }
    };
    RecordDelivery delivery("romtool");
    const auto round = Run(delivery, &database_);
    EXPECT_EQ(round.delivered, 1u);
    EXPECT_EQ(round.waiting, 2u);
    EXPECT_EQ(round.failure, "server closed the connection unexpectedly");
    EXPECT_TRUE(round.refused.empty());

    database_.fault = nullptr;
    EXPECT_EQ(Run(delivery, &database_).delivered, 2u);
    EXPECT_EQ(database_.serials, (std::vector<std::string>{"1", "2", "3"}));
}

TEST_F(RecordDeliveryTest, AFileChangedUnderItIsSentAgainFromItsStartUnderTheSameKeys) {
    Append("2024-03-05", Rows(1, 2));
    RecordDelivery delivery("romtool");
    Run(delivery, &database_);
    // A spreadsheet saved the file: a row changed, the others are the same.
    RecordFields changed = Row("romtool", TimeOfDay(1), "1");
    changed[record::IndexOf(record::Column::kErase)] = "no";
    folder_.Write("2024-03-05.csv", database_test::RecordText({changed}) + Rows(2, 3));
    const auto round = Run(delivery, &database_);
    EXPECT_EQ(round.delivered, 3u);
    EXPECT_EQ(round.notes.size(), 1u);
    ASSERT_EQ(database_.keys.size(), 5u);
    EXPECT_EQ(database_.keys[1], database_.keys[3]);  // row 2: the same row, the same key
    EXPECT_NE(database_.keys[0], database_.keys[2]);
}

TEST_F(RecordDeliveryTest, StopsBetweenRowsWhenAskedAndGoesOnFromThere) {
    Append("2024-03-05", Rows(1, 3));
    RecordDelivery delivery("romtool");
    int allowed = 1;
    const auto round =
        delivery.Run(folder_.Path(), "L3-S07", &database_, [&] { return allowed-- > 0; });
    EXPECT_EQ(round.delivered, 1u);
    EXPECT_EQ(round.waiting, 2u);
    EXPECT_FALSE(round.failure);
    EXPECT_EQ(Run(delivery, &database_).delivered, 2u);
}

}  // namespace
