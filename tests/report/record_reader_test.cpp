#include "report/record_reader.h"

#include <gtest/gtest.h>

#include "report/error_meanings.h"
#include "report_fixture.h"
#include "temp_folder.h"

namespace {

using report_test::RecordText;
using report_test::Row;

struct Seen {
    std::string time, title, folder, fixture;
    bool pass;
    int code;
    std::optional<std::uint32_t> runMs;
    std::optional<std::uint64_t> deviceId, serial;
};

class Collect : public report::RecordSink {
public:
    void OnPress(const report::Press& p) override {
        presses.push_back({std::string(p.timeText), std::string(p.title),
                           std::string(p.stationFolder), std::string(p.fixture), p.pass,
                           p.errorCode, p.runMs, p.deviceId, p.serialNumber});
    }
    void OnBadRow(report::BadRow bad) override { bad_rows.push_back(bad); }
    std::vector<Seen> presses;
    std::vector<report::BadRow> bad_rows;
};

Collect Read(const std::string& bytes) {
    test_support::TempFolder folder;
    folder.Write("2024-03-05.csv", bytes);
    Collect collect;
    report::ReadRecordFile({folder / "2024-03-05.csv", *report::ParseDay("2024-03-05")}, collect);
    return collect;
}

const Row kPass{"2024-03-05T08:00:01.250", "PASS", "0", "4857", "Line1", "C:\\St,1\\",
                "00000000DEADBEEF",        "1001", "A"};
const Row kFail{"2024-03-05T09:30:00.000", "FAIL", "104", "", "Line1", "C:\\St,1\\", "", "", ""};

TEST(ReadRecordFile, ReadsEveryLayoutByItsHeader) {
    const struct {
        std::size_t header, row;
        bool chipKnown;
    } cases[] = {
        {12, 12, false},
        {13, 13, false},
        {15, 15, true},
        // A station updated during the day: its rows are longer than the file's header.
        {12, 13, false},
        {12, 15, true},
        {13, 15, true},
        // A day's file started before the fixture column, by a station that writes it.
        {19, record::kStationColumns, true},
        {record::kStationColumns, record::kStationColumns, true},
    };
    for (const auto& c : cases) {
        for (const bool bom : {true, false}) {
            const Collect read = Read(RecordText(c.header, {kPass, kFail}, c.row, bom));
            SCOPED_TRACE(std::to_string(c.header) + "/" + std::to_string(c.row) +
                         (bom ? " with BOM" : " without BOM"));
            EXPECT_TRUE(read.bad_rows.empty());
            ASSERT_EQ(read.presses.size(), 2u);
            const Seen& pass = read.presses[0];
            EXPECT_EQ(pass.time, kPass.time);
            EXPECT_EQ(pass.title, "Line1");
            EXPECT_EQ(pass.folder, "C:\\St,1\\");
            EXPECT_TRUE(pass.pass);
            EXPECT_EQ(pass.code, 0);
            EXPECT_EQ(pass.runMs, 4857u);
            EXPECT_EQ(pass.deviceId,
                      c.chipKnown ? std::optional<std::uint64_t>(0xDEADBEEF) : std::nullopt);
            EXPECT_EQ(pass.serial, c.chipKnown ? std::optional<std::uint64_t>(1001) : std::nullopt);
            EXPECT_EQ(pass.fixture, c.row == record::kStationColumns ? "A" : "");
            const Seen& fail = read.presses[1];
            EXPECT_FALSE(fail.pass);
            EXPECT_EQ(fail.code, 104);
            EXPECT_FALSE(fail.runMs);
        }
    }
}

TEST(ReadRecordFile, ReadsColumnsByNameInAnyOrder) {
    const Collect read = Read(
        "verdict,time,station_folder,title,run_ms,device_id,extra\r\n"
        "PASS,2024-03-05T10:00:00.000,F,T,12,abcdef0123456789,x\r\n");
    ASSERT_EQ(read.presses.size(), 1u);
    EXPECT_EQ(read.presses[0].title, "T");
    EXPECT_EQ(read.presses[0].folder, "F");
    EXPECT_EQ(read.presses[0].runMs, 12u);
    EXPECT_EQ(read.presses[0].deviceId, 0xABCDEF0123456789ull);
    EXPECT_EQ(read.presses[0].code, report::kNoCode);
}

TEST(ReadRecordFile, NamesEachBadRowAndGoesOn) {
    Row badTime = kPass;
    badTime.time = "2024-03-05 08:00:01";
    Row otherDay = kPass;
    otherDay.time = "2024-03-06T08:00:00.000";
    Row badVerdict = kPass;
    badVerdict.verdict = "OK";
    Row badCode = kFail;
    badCode.code = "x7";
    Row badRun = kPass;
    badRun.runMs = "-5";
    Row badId = kPass;
    badId.deviceId = "DEADBEEF";
    Row badSerial = kPass;
    badSerial.serial = "12a";
    std::string text =
        RecordText(15, {kPass, badTime, otherDay, badVerdict, badCode, badRun, badId, badSerial});
    text += "only,three,fields\r\n";
    text += "\"broken\"quote,a,b,c,d,e,f,g,h,i,j,k,l,m,n\r\n";
    text += "\r\n";  // a blank line is no row
    text += report_test::RowText(kFail, 15);
    const Collect read = Read(text);
    EXPECT_EQ(read.presses.size(), 2u);
    const std::vector<std::pair<std::uint64_t, std::string>> expected = {
        {3, "time is not yyyy-mm-ddThh:mm:ss.zzz"},
        {4, "its time is not of the file's day"},
        {5, "verdict is neither PASS nor FAIL"},
        {6, "error_code is not a number"},
        {7, "run_ms is not a number"},
        {8, "device_id is not 16 hexadecimal digits"},
        {9, "serial_number is not a decimal number"},
        {10, "it has 3 fields, its file's header 15"},
        {11, "text after a closing quote"},
    };
    ASSERT_EQ(read.bad_rows.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(read.bad_rows[i].line, expected[i].first);
        EXPECT_EQ(read.bad_rows[i].reason, expected[i].second);
        EXPECT_NE(read.bad_rows[i].path.find("2024-03-05.csv"), std::string::npos);
    }
}

TEST(ReadRecordFile, SkipsAFileThatIsNoRecord) {
    const Collect read = Read("name,value\r\na,1\r\n");
    EXPECT_TRUE(read.presses.empty());
    ASSERT_EQ(read.bad_rows.size(), 1u);
    EXPECT_EQ(read.bad_rows[0].line, 1u);
    EXPECT_EQ(read.bad_rows[0].reason,
              "not a production record: its header names no time and verdict column");
}

TEST(ReadRecordFile, AnEmptyFileHasNoRows) {
    EXPECT_TRUE(Read("").presses.empty());
    EXPECT_TRUE(Read("").bad_rows.empty());
    EXPECT_TRUE(Read(report_test::kBom + record::HeaderRow()).bad_rows.empty());
}

TEST(RecordFields, ReadStrictly) {
    EXPECT_EQ(report::ParseDeviceId("00000000deadBEEF"), 0xDEADBEEFull);
    EXPECT_FALSE(report::ParseDeviceId("00000000DEADBEEG"));
    EXPECT_FALSE(report::ParseDeviceId("0000000DEADBEEF"));
    EXPECT_EQ(report::DeviceIdText(0xDEADBEEFull), "00000000DEADBEEF");
    EXPECT_EQ(report::ParseDecimal("0042", 9), 42u);
    EXPECT_FALSE(report::ParseDecimal("1234567890", 9));
    EXPECT_FALSE(report::ParseDecimal("", 9));
    EXPECT_FALSE(report::ParseDecimal("+1", 9));
    const auto time = report::ParseRecordTime("2024-02-29T23:59:58.5");
    ASSERT_TRUE(time);
    EXPECT_EQ(report::DayText(time->day), "2024-02-29");
    EXPECT_EQ(time->millisecond, 86398500u);
    EXPECT_TRUE(report::ParseRecordTime("2024-02-29T00:00:00"));
    EXPECT_FALSE(report::ParseRecordTime("2023-02-29T00:00:00.000"));
    EXPECT_FALSE(report::ParseRecordTime("2024-02-28T24:00:00.000"));
    EXPECT_FALSE(report::ParseRecordTime("2024-02-28T10:00:00."));
    EXPECT_EQ(report::DayText(*report::ParseDay("1999-12-31")), "1999-12-31");
    EXPECT_EQ(report::ParseDay("1970-01-02")->number, 1);
}

}  // namespace
