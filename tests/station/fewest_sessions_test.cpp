// [chip] sessions=fewest with nrfjprog: the board's number programmed with the image, from a copy
// of it made for the press, in as few calls as the programmer allows, and the row the same.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "checksum_of.h"
#include "hex_records.h"
#include "platform/paths.h"
#include "record/record_columns.h"
#include "run_steps.h"
#include "station/check/check.h"
#include "station/check/error_codes.h"
#include "station/settings/station_settings.h"

using namespace station;

using record::Column;
using record::IndexOf;

namespace {

using chip_steps::ChipStation;

constexpr char kNumbered[] =
    "[chip]\r\nsessions=fewest\r\n[serial]\r\naddress=0x10001080\r\nfirst=100000\r\n"
    "last=100002\r\n";
constexpr char kCopy[] = "Romtool.numbered.hex";

// The copy lives for its run only, whatever the verdict; an image that writes the number's word
// itself is refused at the check, and nothing is programmed.
TEST_F(ChipStation, BoardsOwnImageLastsItsRunAndNeverOverwritesTheImage) {
    auto& station = ChipStationWith(kNumbered);
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_StartClick);
    EXPECT_EQ(view_.verdict, "PASS") << form.MemoText();
    EXPECT_FALSE(station.Exists(kCopy));
    station.SetStandIn("verify=fail\n");
    form.Handle(&TRomForm::Button_StartClick);
    EXPECT_EQ(view_.verdict, "FAIL");
    EXPECT_FALSE(station.Exists(kCopy));

    // The number's word written by the image itself, or an image after an end-of-file record
    // (two files joined by "copy /b", where the word's record would be the first image's).
    using test_support::HexRecord;
    const std::string line1 = HexRecord(0, 0, {1, 2}) + "\r\n";
    const std::string word = test_support::HexBase(0x1000) + "\r\n" + HexRecord(0, 0x1082, {7}) +
                             "\r\n" + test_support::kHexEnd + "\r\n";
    const std::pair<std::string, std::string> refused[] = {
        {line1 + word,
         "ERROR:hex文件第3行：地址0x10001082处已有数据，与config.ini的[serial]"
         "中address=0x10001080的序列号重叠，不能烧写。\r\n"},
        {line1 + test_support::kHexEnd + "\r\n" + word,
         "ERROR:hex文件第3行：结束记录之后还有数据，不能烧写。\r\n"}};
    for (const auto& [image, message] : refused) {
        station.Write("merge.hex", image);
        station.Write("merge.crc", test_support::ChecksumOf(image));
        const std::size_t calls = CallsAfterTheChecks().size();
        form.Handle(&TRomForm::Button_StartClick);
        EXPECT_EQ(form.State().Error_Code, kImageRefused);
        EXPECT_THAT(form.MemoText(), ::testing::EndsWith(message));
        EXPECT_EQ(CallsAfterTheChecks().size(), calls);
        EXPECT_EQ(view_.nextSerial, "下一序列号：100002") << "no number is taken";
    }
}

// A traced, numbered, factory-protected board with recover: 3 calls instead of 6, the number in
// the chip's UICR either way, and the row the same but for its sessions (and what a second
// station folder and another run's length change).
TEST_F(ChipStation, FewestSessionsWriteTheRowOfEachButForItsSessions) {
    std::vector<std::vector<std::string>> rows;
    for (const char* sessions : {"each", "fewest"}) {
        auto& station =
            ChipStationWith(std::string("[chip]\r\nrecover=yes\r\nsessions=") + sessions +
                            "\r\n[trace]\r\ndeviceid=yes\r\n[serial]\r\naddress="
                            "0x10001080\r\nfirst=100000\r\nlast=100002\r\n");
        station.SetStandIn("protection=factory\n");
        TRomForm& form = Shown();
        form.Handle(&TRomForm::Button_StartClick);
        ASSERT_EQ(view_.verdict, "PASS") << sessions << form.MemoText();
        EXPECT_EQ(station.Read("bin/flash.uicr").substr(0x80, 4),
                  std::string("\xA0\x86\x01\x00", 4))
            << sessions;
        rows.push_back(RecordRows().at(1));
    }
    EXPECT_EQ(rows[0][IndexOf(Column::kSessions)], "6");
    EXPECT_EQ(rows[1][IndexOf(Column::kSessions)], "3");
    for (const Column differs : {Column::kTime, Column::kStationFolder, Column::kImage,
                                 Column::kRunMs, Column::kSessions}) {
        rows[0][IndexOf(differs)] = rows[1][IndexOf(differs)] = "";
    }
    EXPECT_EQ(rows[0], rows[1]);
}

// The same board again, protected by its first press: only the program call's erase opens it (no
// recover), so its DEVICEID is read after that call, and the operator hears it is the same chip.
TEST_F(ChipStation, BoardProtectedByItsFirstPressIsReadAfterTheErase) {
    ChipStationWith("[chip]\r\nsessions=fewest\r\n[trace]\r\ndeviceid=yes\r\n");
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_StartClick);
    form.Handle(&TRomForm::Button_StartClick);
    EXPECT_EQ(view_.verdict, "PASS") << form.MemoText();
    EXPECT_THAT(form.MemoText(),
                ::testing::HasSubstr("注意：这颗芯片（DEVICEID F00DCAFE12345678）今天已于"));
}

// Every file a press hands the tool is measured by the check, as the image is: in a station folder
// so deep that only the press's own file is too long, the check refuses it (110) before the probe
// is asked, instead of a Ready whose every press fails.
TEST_F(ChipStation, PressFilesTooLongForTheInterpreterAreRefusedAtTheCheck) {
    const std::pair<const char*, const char*> recipes[] = {
        {kNumbered, ".numbered.hex"},
        {"[station]\r\nprogrammer=nrfutil\r\n[chip]\r\nsessions=fewest\r\n", ".press.batch.json"},
        {"[chip]\r\nfamily=nrf53\r\n", ".network.hex"}};
    for (const auto& [lines, file] : recipes) {
        SCOPED_TRACE(file);
        auto& station = ChipStationWith(lines);
        const StationPaths real = DerivePaths(station / kExecutableName, "");
        const StationSettings settings = ReadSettings(real, "Romtool");
        StationPaths deep = real;  // the folder the press's files go to, one character too deep
        const std::string name = std::string("Romtool") + file;
        const std::string sep(1, os::kPathSeparator);
        deep.App_Path = sep + std::string(os::kLongestCommandPath - name.size(), 'a') + sep;
        const CheckResult check =
            CheckStation({deep, settings,
                          [](const std::string&, const std::string&, std::chrono::milliseconds) {
                              ADD_FAILURE() << "the probe is asked";
                              return tool::CommandResult{};
                          },
                          [] { return std::size_t{0}; }, std::chrono::seconds(1),
                          [] { return database::SerialBlockAnswer{}; }, "Romtool"});
        EXPECT_EQ(check.code, kPathRefused);
        ASSERT_TRUE(check.refusedPath);
        EXPECT_EQ(check.refusedPath->path, deep.App_Path + name);
    }
}

}  // namespace
