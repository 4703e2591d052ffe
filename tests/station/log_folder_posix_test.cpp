// The folder the log and the record go to: no board is programmed unless it can take a line, and
// a row that met a full disk waits until it can.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <vector>

#include "csv_reader.h"
#include "mounted_folder_posix.h"
#include "platform/clock.h"
#include "record/production_record.h"
#include "station/check/error_codes.h"
#include "station_fixture.h"

using namespace station;

using ::testing::ContainsRegex;
using ::testing::HasSubstr;

namespace {

enum class FolderState { kMade, kMissing, kFull, kReadOnly };

struct FolderCase {
    const char* name;
    const char* path;  // config.ini's [log4me] path; "" for an absolute folder elsewhere
    FolderState state;
    int errorCode;
    const char* reason;  // what message 113 says of the folder, as a regular expression

    friend void PrintTo(const FolderCase& c, std::ostream* out) { *out << c.name; }
};

class LogFolderCheck : public StationTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(LogFolderCheck, ProgramsOnlyWhenTheFolderCanTakeTheRow) {
    const FolderCase& c = GetParam();
    auto& station = Station(test_support::StationParts::Without({test_support::Part::kLogs}));
    test_support::TempFolder elsewhere;
    const std::string folder = *c.path ? station.Path() + c.path : elsewhere.Path() + "records";
    station.Write("config.ini", "[log4me]\r\npath=" + (*c.path ? c.path : folder) + "\r\n");
    std::unique_ptr<test_support::MountedFolder> mount;
    if (c.state == FolderState::kMade) {
        std::filesystem::create_directories(folder);
    } else if (c.state != FolderState::kMissing) {
        mount = std::make_unique<test_support::MountedFolder>(folder, 65536,
                                                              c.state == FolderState::kReadOnly);
        if (!mount->Mounted()) {
            GTEST_SKIP() << "mounting a small file system needs root";
        }
    }
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_StartClick);

    EXPECT_EQ(form.State().Error_Code, c.errorCode);
    if (c.errorCode == 0) {
        EXPECT_EQ(view_.verdict, "PASS");
        const std::string record =
            test_support::ReadFile(folder + "/" + record::RecordFileName(os::LocalNow()));
        EXPECT_EQ(test_support::ReadCsv(record.substr(3)).size(), 2u);
    } else if (c.errorCode == kLogFolderMissing) {
        EXPECT_THAT(form.MemoText(), HasSubstr("\nERROR:logs目录不存在。\r\n"));
    } else {
        // A refused press has its row too, which may have to wait in memory: a line of its own.
        EXPECT_THAT(form.MemoText(),
                    ContainsRegex("\nERROR:日志目录" + folder + "不能写入（" + c.reason +
                                  "），日志和生产记录无处可写，不能烧写。\r\n"));
    }
    EXPECT_EQ(ToolCalls().size(), c.errorCode == 0 ? 3u : 2u);
}

INSTANTIATE_TEST_SUITE_P(
    States, LogFolderCheck,
    ::testing::Values(
        FolderCase{"DefaultFolderMissing", "logs", FolderState::kMissing, kLogFolderMissing, ""},
        FolderCase{"ConfiguredFolderMissing", "records", FolderState::kMissing, kLogFolderUnusable,
                   "目录不存在"},
        FolderCase{"ConfiguredFolder", "records", FolderState::kMade, 0, ""},
        FolderCase{"AbsoluteFolder", "", FolderState::kMade, 0, ""},
        FolderCase{"AbsoluteFolderMissing", "", FolderState::kMissing, kLogFolderUnusable,
                   "目录不存在"},
        FolderCase{"Full", "logs", FolderState::kFull, kLogFolderUnusable,
                   "磁盘空间不足，剩余[0-9]+ KB，至少需要1024 KB"},
        FolderCase{"ReadOnly", "logs", FolderState::kReadOnly, kLogFolderUnusable, "没有写入权限"}),
    [](const auto& info) { return std::string(info.param.name); });

// Fills the file system of folder up to its last byte with one file, which it names.
std::string FillUp(const std::string& folder) {
    const std::string filler = folder + "/filler";
    std::ofstream out(filler, std::ios::binary);
    const std::vector<char> block(4096, 'x');
    while (out.write(block.data(), std::streamsize(block.size()))) {
    }
    return filler;
}

using FullDisk = StationTest;

// A disk that fills up during a run: the board's row waits in memory, the operator is told, no
// further board is programmed, and every row lands in order once there is room.
TEST_F(FullDisk, RowsWaitAndNoBoardIsProgrammedUntilThereIsRoom) {
    auto& station = Station(test_support::StationParts::Without({test_support::Part::kLogs}));
    const test_support::MountedFolder logs(station.Path() + "logs", 2 << 20);
    if (!logs.Mounted()) {
        GTEST_SKIP() << "mounting a small file system needs root";
    }
    TRomForm& form = Shown();
    std::string filler;
    view_.duringRepaint = [&] {
        if (view_.verdict == "Working" && filler.empty()) {
            filler = FillUp(station.Path() + "logs");
        }
    };
    form.Handle(&TRomForm::Button_StartClick);
    EXPECT_EQ(view_.verdict, "PASS");
    const std::string recordName = record::RecordFileName(os::LocalNow());
    EXPECT_THAT(form.MemoText(),
                // The file as a line engineer writes it: one separator before "logs".
                ::testing::MatchesRegex(".*Verify OK.*\nERROR:生产记录" + station.Path() + "logs/" +
                                        recordName +
                                        "写不进去（.*），本次记录暂存在内存中，"
                                        "目录可以写入后会自动补写。\r\n"));

    form.Handle(&TRomForm::Button_StartClick);
    EXPECT_EQ(form.State().Error_Code, kLogFolderUnusable);
    EXPECT_EQ(ToolCalls().size(), 4u) << "-i, -i, the run, -i: no second board";

    std::remove(filler.c_str());
    form.Handle(&TRomForm::Button_StartClick);
    EXPECT_EQ(view_.verdict, "PASS");
    const std::string record = station.Read("logs/" + recordName);
    const test_support::CsvRows rows = test_support::ReadCsv(record.substr(3));
    ASSERT_EQ(rows.size(), 4u) << record;
    EXPECT_EQ(rows[1][8], "0");
    EXPECT_EQ(rows[2][8], "113");
    EXPECT_EQ(rows[3][8], "0");
}

}  // namespace
