#include "station/press/record_appender.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <set>
#include <string>

#include "csv_reader.h"
#include "log4me/log4me.h"
#include "logger_clock.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "record/record_columns.h"
#include "temp_folder.h"

using namespace station;

namespace {

using std::chrono::milliseconds;

const std::string kSep(1, os::kPathSeparator);
const std::string kBom = "\xEF\xBB\xBF";
const std::string kHeader =
    "time,title,station_folder,probe,image,checksum,erase,verdict,error_code,run_ms,timed_out,"
    "exit_code,probe_serial,device_id,serial_number,same_chip_as,board_label,family,sessions,"
    "mes_check,fixture\r\n";
const os::LocalTime kNow{2024, 2, 29, 12, 34, 56, 789};

// A passing press as the station fills it in.
record::ProductionRecord Passed() {
    record::ProductionRecord r;
    r.time = kNow;
    r.title = "Romtool";
    r.stationFolder = "C:\\Station\\";
    r.probeOutput = "682123456\r\n";
    r.imagePath = "C:\\Station\\merge.hex";
    r.checksum = "9F1C0A7E5B3D2C41A8E6F0B7D9C3E215";
    r.erase = true;
    r.pass = true;
    r.errorCode = 0;
    r.run = record::ProductionRecord::Run{milliseconds(4857), false, 0};
    r.probeSerial = "682123456";
    return r;
}

struct RowCase {
    const char* name;
    void (*change)(record::ProductionRecord&);
    const char* row;

    friend void PrintTo(const RowCase& c, std::ostream* out) { *out << c.name; }
};

class CsvRowOf : public ::testing::TestWithParam<RowCase> {};

TEST_P(CsvRowOf, HoldsEveryFieldInItsColumn) {
    record::ProductionRecord record = Passed();
    GetParam().change(record);
    EXPECT_EQ(record::CsvRow(record), GetParam().row);
}

INSTANTIATE_TEST_SUITE_P(
    Presses, CsvRowOf,
    ::testing::Values(
        RowCase{"Pass", [](record::ProductionRecord&) {},
                "2024-02-29T12:34:56.789,Romtool,C:\\Station\\,682123456,C:\\Station\\merge.hex,"
                "9F1C0A7E5B3D2C41A8E6F0B7D9C3E215,yes,PASS,0,4857,no,0,682123456,,,,,,,,\r\n"},
        RowCase{"FamilySessionsAndMesCheck",
                [](record::ProductionRecord& r) {
                    r.family = "nrf53";
                    r.sessions = 6;
                    r.mesCheck = "unreachable";
                },
                "2024-02-29T12:34:56.789,Romtool,C:\\Station\\,682123456,C:\\Station\\merge.hex,"
                "9F1C0A7E5B3D2C41A8E6F0B7D9C3E215,yes,PASS,0,4857,no,0,682123456,,,,,nrf53,6,"
                "unreachable,\r\n"},
        RowCase{"Fixture", [](record::ProductionRecord& r) { r.fixture = "A"; },
                "2024-02-29T12:34:56.789,Romtool,C:\\Station\\,682123456,C:\\Station\\merge.hex,"
                "9F1C0A7E5B3D2C41A8E6F0B7D9C3E215,yes,PASS,0,4857,no,0,682123456,,,,,,,,A\r\n"},
        RowCase{"FailFromCheck",
                [](record::ProductionRecord& r) {
                    r.checksum.clear();
                    r.pass = false;
                    r.errorCode = 104;
                    r.run.reset();
                },
                "2024-02-29T12:34:56.789,Romtool,C:\\Station\\,682123456,C:\\Station\\merge.hex,,"
                "yes,FAIL,104,,,,682123456,,,,,,,,\r\n"},
        RowCase{"FailFromRunAtItsLimit",
                [](record::ProductionRecord& r) {
                    r.erase = false;
                    r.pass = false;
                    r.errorCode = 107;
                    r.run = record::ProductionRecord::Run{milliseconds(300012), true, -1};
                },
                "2024-02-29T12:34:56.789,Romtool,C:\\Station\\,682123456,C:\\Station\\merge.hex,"
                "9F1C0A7E5B3D2C41A8E6F0B7D9C3E215,no,FAIL,107,300012,yes,-1,682123456,,,,,,,,\r\n"},
        RowCase{"ErrorEndedThePress",
                [](record::ProductionRecord& r) {
                    r.checksum.clear();
                    r.pass = false;
                    r.errorCode.reset();
                    r.run.reset();
                    r.probeSerial.clear();
                },
                "2024-02-29T12:34:56.789,Romtool,C:\\Station\\,682123456,C:\\Station\\merge.hex,,"
                "yes,FAIL,,,,,,,,,,,,,\r\n"},
        RowCase{"ProbeLinesTrimmedAndJoined",
                [](record::ProductionRecord& r) {
                    r.probeOutput = "  682123456 \r\n\r\n682000001\n\t";
                    r.imagePath = "m.hex";
                },
                "2024-02-29T12:34:56.789,Romtool,C:\\Station\\,682123456;682000001,m.hex,"
                "9F1C0A7E5B3D2C41A8E6F0B7D9C3E215,yes,PASS,0,4857,no,0,682123456,,,,,,,,\r\n"},
        RowCase{
            "QuotedWhereNeeded",
            [](record::ProductionRecord& r) {
                r.title = "烧写";
                r.probeOutput = "a,b\r\n";
                r.imagePath = "C:\\x\"y\"\\a\rb\nc.hex";
            },
            "2024-02-29T12:34:56.789,烧写,C:\\Station\\,\"a,b\",\"C:\\x\"\"y\"\"\\a\rb\nc.hex\","
            "9F1C0A7E5B3D2C41A8E6F0B7D9C3E215,yes,PASS,0,4857,no,0,682123456,,,,,,,,\r\n"}),
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
    log4me::AppendResult Append(record::ProductionRecord record) {
        return file.Append(log4me::ReadLogConfig(folder.Path()).folder, record);
    }
    std::string RecordFile() const {
        return folder.Read("logs" + kSep + record::RecordFileName(now));
    }
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
    ProductionRecordFile file{"Romtool"};
};

TEST_F(Record, NewFileGetsMarkAndHeaderOnceThenOneRowPerPress) {
    folder.MakeFolder("logs");
    Start();
    record::ProductionRecord record = Passed();
    record.time = {};  // stamped with the logger's clock
    Append(record);
    now.second = 57;
    Append(record);

    record.time = kNow;
    const std::string first = record::CsvRow(record);
    record.time.second = 57;
    EXPECT_EQ(RecordFile(), kBom + kHeader + first + record::CsvRow(record));
    EXPECT_EQ(LogFolderNames(), (std::set<std::string>{"2024-02-29.csv", "2024-02-29.log"}));
    EXPECT_FALSE(folder.Exists("log4me_err.log"));
}

TEST_F(Record, PathWithCommaQuoteAndLineBreakReadsBackAsOneField) {
    folder.MakeFolder("logs");
    Start();
    record::ProductionRecord record = Passed();
    record.imagePath = "C:\\Line 3, \"B\"\r\nimages\\merge.hex";
    Append(record);

    const std::string file = RecordFile();
    ASSERT_EQ(file.substr(0, kBom.size()), kBom);
    const test_support::CsvRows rows = test_support::ReadCsv(file.substr(kBom.size()));
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(rows[0].size(), record::kStationColumns);
    ASSERT_EQ(rows[1].size(), record::kStationColumns);
    EXPECT_EQ(rows[0][4], "image");
    EXPECT_EQ(rows[1][4], record.imagePath);
    EXPECT_EQ(rows[1][7], "PASS");
}

TEST_F(Record, ChangeOfDayStartsTheNewDaysFile) {
    folder.MakeFolder("logs");
    now = {2023, 12, 31, 23, 59, 59, 999};
    Start();
    Append(Passed());
    now = {2024, 1, 1, 0, 0, 0, 0};
    Append(Passed());

    for (const char* day : {"2023-12-31", "2024-01-01"}) {
        const test_support::CsvRows rows =
            test_support::ReadCsv(folder.Read("logs" + kSep + day + ".csv").substr(kBom.size()));
        ASSERT_EQ(rows.size(), 2u) << day;
        EXPECT_EQ(rows[0][0], "time");
        EXPECT_EQ(rows[1][0].substr(0, 10), day);
    }
}

TEST_F(Record, RowIsWrittenWhateverTheLogLevel) {
    folder.MakeFolder("logs");
    Start("none");
    Append(Passed());
    EXPECT_EQ(RecordFile(), kBom + kHeader + record::CsvRow(Passed()));
    EXPECT_FALSE(folder.Exists("log4me_err.log"));
}

struct BrokenFolder {
    const char* name;
    void (*lay)(const test_support::TempFolder&);
    void (*mend)(const test_support::TempFolder&);
    log4me::Placement placement;  // where the row waits meanwhile

    friend void PrintTo(const BrokenFolder& c, std::ostream* out) { *out << c.name; }
};

class RecordCannotBeWritten : public Record, public ::testing::WithParamInterface<BrokenFolder> {};

// Only a row that waits in memory is reported: one on disk is safe. Either goes to the file,
// ahead of anything newer, once the folder is mended.
TEST_P(RecordCannotBeWritten, RowWaitsUntilTheFolderIsMended) {
    GetParam().lay(folder);
    Start();
    os::RemoveFile(folder / "log4me_err.log");  // the start line may have failed too
    EXPECT_EQ(Append(Passed()).placement, GetParam().placement);

    const bool inMemory = GetParam().placement == log4me::Placement::kWaitingInMemory;
    if (inMemory) {
        const std::string report = folder.Read("log4me_err.log");
        EXPECT_EQ(report.substr(0, 31), "2024-02-29 12:34:56.789 Cannot ") << report;
        EXPECT_NE(report.find("2024-02-29.csv"), std::string::npos) << report;
        EXPECT_EQ(report.find("\r\n"), report.size() - 2) << "one line only: " << report;
    } else {
        EXPECT_FALSE(folder.Exists("log4me_err.log"));
    }
    EXPECT_EQ(file.Flush(), inMemory ? 1u : 0u);

    GetParam().mend(folder);
    EXPECT_EQ(file.Flush(), 0u);
    record::ProductionRecord next = Passed();
    next.imagePath = "next.hex";
    EXPECT_EQ(Append(next).placement, log4me::Placement::kInFile);
    EXPECT_EQ(RecordFile(), kBom + kHeader + record::CsvRow(Passed()) + record::CsvRow(next));
    for (const std::string& name : LogFolderNames()) {
        EXPECT_EQ(name.find(".new"), std::string::npos) << "left behind: " << name;
        EXPECT_EQ(name.find(".pending"), std::string::npos) << "left behind: " << name;
    }
}

void MakeLogs(const test_support::TempFolder& f) {
    f.MakeFolder("logs");
}

INSTANTIATE_TEST_SUITE_P(
    Folders, RecordCannotBeWritten,
    ::testing::Values(BrokenFolder{"Missing", [](const test_support::TempFolder&) {}, MakeLogs,
                                   log4me::Placement::kWaitingInMemory},
                      BrokenFolder{"FileInItsPlace",
                                   [](const test_support::TempFolder& f) { f.Write("logs", ""); },
                                   [](const test_support::TempFolder& f) {
                                       os::RemoveFile(f / "logs");
                                       MakeLogs(f);
                                   },
                                   log4me::Placement::kWaitingInMemory},
                      BrokenFolder{"FolderInPlaceOfTheDaysFile",
                                   [](const test_support::TempFolder& f) {
                                       f.MakeFolder("logs" + kSep + "2024-02-29.csv");
                                   },
                                   [](const test_support::TempFolder& f) {
                                       std::filesystem::remove(std::filesystem::u8path(
                                           f / "logs" + kSep + "2024-02-29.csv"));
                                   },
                                   log4me::Placement::kWaitingOnDisk}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
