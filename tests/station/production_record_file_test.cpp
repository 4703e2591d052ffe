#include "production_record.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <set>
#include <string>

#include "clock.h"
#include "csv_reader.h"
#include "files.h"
#include "log4me.h"
#include "logger_clock.h"
#include "paths.h"
#include "temp_folder.h"

namespace {

using std::chrono::milliseconds;

const std::string kSep(1, os::kPathSeparator);
const std::string kBom = "\xEF\xBB\xBF";
const std::string kHeader =
    "time,title,station_folder,probe,image,checksum,erase,verdict,error_code,run_ms,timed_out,"
    "exit_code,probe_serial\r\n";
const os::LocalTime kNow{2024, 2, 29, 12, 34, 56, 789};

// A passing press as the station fills it in.
ProductionRecord Passed() {
    ProductionRecord r;
    r.time = kNow;
    r.title = "Romtool";
    r.stationFolder = "C:\\Station\\";
    r.probeOutput = "682123456\r\n";
    r.imagePath = "C:\\Station\\merge.hex";
    r.checksum = "9F1C0A7E5B3D2C41A8E6F0B7D9C3E215";
    r.erase = true;
    r.pass = true;
    r.errorCode = 0;
    r.run = ProductionRecord::Run{milliseconds(4857), false, 0};
    r.probeSerial = "682123456";
    return r;
}

struct RowCase {
    const char* name;
    void (*change)(ProductionRecord&);
    const char* row;

    friend void PrintTo(const RowCase& c, std::ostream* out) { *out << c.name; }
};

class CsvRowOf : public ::testing::TestWithParam<RowCase> {};

TEST_P(CsvRowOf, HoldsEveryFieldInItsColumn) {
    ProductionRecord record = Passed();
    GetParam().change(record);
    EXPECT_EQ(CsvRow(record), GetParam().row);
}

INSTANTIATE_TEST_SUITE_P(
    Presses, CsvRowOf,
    ::testing::Values(
        RowCase{"Pass", [](ProductionRecord&) {},
                "2024-02-29T12:34:56.789,Romtool,C:\\Station\\,682123456,C:\\Station\\merge.hex,"
                "9F1C0A7E5B3D2C41A8E6F0B7D9C3E215,yes,PASS,0,4857,no,0,682123456\r\n"},
        RowCase{"FailFromCheck",
                [](ProductionRecord& r) {
                    r.checksum.clear();
                    r.pass = false;
                    r.errorCode = 104;
                    r.run.reset();
                },
                "2024-02-29T12:34:56.789,Romtool,C:\\Station\\,682123456,C:\\Station\\merge.hex,,"
                "yes,FAIL,104,,,,682123456\r\n"},
        RowCase{"FailFromRunAtItsLimit",
                [](ProductionRecord& r) {
                    r.erase = false;
                    r.pass = false;
                    r.errorCode = 107;
                    r.run = ProductionRecord::Run{milliseconds(300012), true, -1};
                },
                "2024-02-29T12:34:56.789,Romtool,C:\\Station\\,682123456,C:\\Station\\merge.hex,"
                "9F1C0A7E5B3D2C41A8E6F0B7D9C3E215,no,FAIL,107,300012,yes,-1,682123456\r\n"},
        RowCase{"ErrorEndedThePress",
                [](ProductionRecord& r) {
                    r.checksum.clear();
                    r.pass = false;
                    r.errorCode.reset();
                    r.run.reset();
                    r.probeSerial.clear();
                },
                "2024-02-29T12:34:56.789,Romtool,C:\\Station\\,682123456,C:\\Station\\merge.hex,,"
                "yes,FAIL,,,,,\r\n"},
        RowCase{"ProbeLinesTrimmedAndJoined",
                [](ProductionRecord& r) {
                    r.probeOutput = "  682123456 \r\n\r\n682000001\n\t";
                    r.imagePath = "m.hex";
                },
                "2024-02-29T12:34:56.789,Romtool,C:\\Station\\,682123456;682000001,m.hex,"
                "9F1C0A7E5B3D2C41A8E6F0B7D9C3E215,yes,PASS,0,4857,no,0,682123456\r\n"},
        RowCase{
            "QuotedWhereNeeded",
            [](ProductionRecord& r) {
                r.title = "烧写";
                r.probeOutput = "a,b\r\n";
                r.imagePath = "C:\\x\"y\"\\a\rb\nc.hex";
            },
            "2024-02-29T12:34:56.789,烧写,C:\\Station\\,\"a,b\",\"C:\\x\"\"y\"\"\\a\rb\nc.hex\","
            "9F1C0A7E5B3D2C41A8E6F0B7D9C3E215,yes,PASS,0,4857,no,0,682123456\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// The logger runs in a folder of its own, on a clock the test sets.
class Record : public ::testing::Test {
protected:
    void SetUp() override {
        log4me::SetClock([this] { return test_support::ReadingAt(now); });
    }
    void TearDown() override {
        log4me::Stop();
        log4me::SetClock({});
    }

    void Start(const std::string& level = "info") const {
        folder.Write("config.ini", "[log4me]\r\npath=logs\r\nlevel=" + level + "\r\n");
        log4me::Start(folder.Path());
    }
    std::string RecordFile() const { return folder.Read("logs" + kSep + RecordFileName(now)); }
    std::set<std::string> LogFolderNames() const {
        std::set<std::string> names;
        for (const auto& entry :
             std::filesystem::directory_iterator(std::filesystem::u8path(folder / "logs"))) {
            names.insert(entry.path().filename().u8string());
        }
        return names;
    }

    test_support::TempFolder folder;
    os::LocalTime now = kNow;
};

TEST_F(Record, NewFileGetsMarkAndHeaderOnceThenOneRowPerPress) {
    folder.MakeFolder("logs");
    Start();
    ProductionRecord record = Passed();
    record.time = {};  // stamped with the logger's clock
    AppendProductionRecord(record);
    now.second = 57;
    AppendProductionRecord(record);

    record.time = kNow;
    const std::string first = CsvRow(record);
    record.time.second = 57;
    EXPECT_EQ(RecordFile(), kBom + kHeader + first + CsvRow(record));
    EXPECT_EQ(LogFolderNames(), (std::set<std::string>{"2024-02-29.csv", "2024-02-29.log"}));
    EXPECT_FALSE(folder.Exists("log4me_err.log"));
}

TEST_F(Record, PathWithCommaQuoteAndLineBreakReadsBackAsOneField) {
    folder.MakeFolder("logs");
    Start();
    ProductionRecord record = Passed();
    record.imagePath = "C:\\Line 3, \"B\"\r\nimages\\merge.hex";
    AppendProductionRecord(record);

    const std::string file = RecordFile();
    ASSERT_EQ(file.substr(0, kBom.size()), kBom);
    const test_support::CsvRows rows = test_support::ReadCsv(file.substr(kBom.size()));
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(rows[0].size(), 13u);
    ASSERT_EQ(rows[1].size(), 13u);
    EXPECT_EQ(rows[0][4], "image");
    EXPECT_EQ(rows[1][4], record.imagePath);
    EXPECT_EQ(rows[1][7], "PASS");
}

TEST_F(Record, ChangeOfDayStartsTheNewDaysFile) {
    folder.MakeFolder("logs");
    now = {2023, 12, 31, 23, 59, 59, 999};
    Start();
    AppendProductionRecord(Passed());
    now = {2024, 1, 1, 0, 0, 0, 0};
    AppendProductionRecord(Passed());

    for (const char* day : {"2023-12-31", "2024-01-01"}) {
        const test_support::CsvRows rows =
            test_support::ReadCsv(folder.Read("logs" + kSep + day + ".csv").substr(kBom.size()));
        ASSERT_EQ(rows.size(), 2u) << day;
        EXPECT_EQ(rows[0][0], "time");
        EXPECT_EQ(rows[1][0].substr(0, 10), day);
    }
}

TEST_F(Record, NothingIsWrittenWhenInfoLinesAreOff) {
    folder.MakeFolder("logs");
    Start("error");
    AppendProductionRecord(Passed());
    EXPECT_FALSE(folder.Exists("logs" + kSep + RecordFileName(now)));
    EXPECT_FALSE(folder.Exists("log4me_err.log"));
}

struct BrokenFolder {
    const char* name;
    void (*lay)(const test_support::TempFolder&);

    friend void PrintTo(const BrokenFolder& c, std::ostream* out) { *out << c.name; }
};

class RecordCannotBeWritten : public Record, public ::testing::WithParamInterface<BrokenFolder> {};

TEST_P(RecordCannotBeWritten, ReportsOneLineInTheErrorFileAndThrowsNothing) {
    GetParam().lay(folder);
    Start();
    os::RemoveFile(folder / "log4me_err.log");  // the start line may have failed too
    AppendProductionRecord(Passed());

    const std::string report = folder.Read("log4me_err.log");
    EXPECT_EQ(report.substr(0, 31), "2024-02-29 12:34:56.789 Cannot ") << report;
    EXPECT_NE(report.find("2024-02-29.csv"), std::string::npos) << report;
    EXPECT_EQ(report.find("\r\n"), report.size() - 2) << "one line only: " << report;
    if (os::FolderExists(folder / "logs")) {
        for (const std::string& name : LogFolderNames()) {
            EXPECT_EQ(name.find(".new"), std::string::npos) << "left behind: " << name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Folders, RecordCannotBeWritten,
    ::testing::Values(BrokenFolder{"Missing", [](const test_support::TempFolder&) {}},
                      BrokenFolder{"FileInItsPlace",
                                   [](const test_support::TempFolder& f) { f.Write("logs", ""); }},
                      BrokenFolder{"FolderInPlaceOfTheDaysFile",
                                   [](const test_support::TempFolder& f) {
                                       f.MakeFolder("logs");
                                       f.MakeFolder("logs" + kSep + "2024-02-29.csv");
                                   }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
