// The operator's other actions: checksum writing, image selection, the option list, exit.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "integrity/checksum.h"
#include "platform/paths.h"
#include "station_fixture.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

using ChecksumWriting = StationTest;
using ImageSelection = StationTest;
using OptionList = StationTest;

TEST_F(ChecksumWriting, IsOfferedOnlyForAnImageWithoutChecksumFile) {
    struct Case {
        test_support::StationParts parts;
        bool enabled;
    };
    for (const Case& c : {Case{{}, false}, Case{{true, true, false, true, true}, true},
                          Case{{true, false, false, true, true}, false}}) {
        Station(c.parts);
        Shown();
        EXPECT_EQ(view_.checksumEnabled, c.enabled) << c.parts.image << c.parts.checksum;
    }
}

TEST_F(ChecksumWriting, WritesTheFileShowsTheBoxAndRefreshes) {
    auto& station = Station(test_support::StationParts::Without({test_support::Part::kChecksum}));
    TRomForm& form = Shown();
    ASSERT_EQ(form.State().Error_Code, 104);
    const std::string checksum = integrity::FileChecksum(station.ImagePath());
    std::string panelWhileBoxOpen;
    std::string textWhileBoxOpen = "unset";
    view_.whileBoxOpen = [&] {
        panelWhileBoxOpen = view_.verdict;
        textWhileBoxOpen = view_.memo;
    };
    form.Handle(&TRomForm::Button_CRCClick);

    EXPECT_EQ(station.Read("merge.crc"), checksum);
    EXPECT_EQ(station.Read("merge.crc").size(), 32u);
    ASSERT_EQ(view_.boxes.size(), 1u);
    EXPECT_FALSE(view_.boxes[0].error);
    EXPECT_EQ(view_.boxes[0].title, "Romtool");
    EXPECT_EQ(view_.boxes[0].text, "merge.hex的校验信息写入成功");
    EXPECT_EQ(panelWhileBoxOpen, "CRC OK");
    EXPECT_EQ(textWhileBoxOpen, "");
    // The refresh after the box shows the probe output and takes the button away.
    EXPECT_EQ(view_.verdict, "Ready");
    EXPECT_EQ(form.MemoText(), form.State().Prog_Sn);
    EXPECT_FALSE(view_.checksumEnabled);
    EXPECT_THAT(ToolCalls(), ElementsAre("-i", "-i"));
    const std::string log = Log();
    const auto writing = log.find(InfoLine("写入文件校验"));
    ASSERT_NE(writing, std::string::npos) << log;
    const auto report = log.find(
        InfoLine("merge.hex 的校验值：" + checksum + "，信息已经保存到crc文件中。"), writing);
    ASSERT_NE(report, std::string::npos) << log;
    EXPECT_NE(log.find(InfoLine(""), report), std::string::npos) << log;
}

TEST_F(ChecksumWriting, ChecksumFileThatCannotBeCreatedEndsTheActionInTheErrorBox) {
    auto& station = Station(test_support::StationParts::Without({test_support::Part::kChecksum}));
    station.MakeFolder("merge.crc");  // a folder where the file would go
    TRomForm& form = Shown();
    ASSERT_TRUE(view_.checksumEnabled);
    form.Handle(&TRomForm::Button_CRCClick);

    ASSERT_EQ(view_.boxes.size(), 1u);
    EXPECT_TRUE(view_.boxes[0].error);
    EXPECT_EQ(view_.boxes[0].title, "Romtool");
    EXPECT_THAT(view_.boxes[0].text,
                StartsWith("Cannot create file \"" + station.ChecksumPath() + "\""));
    // The report is in the text area and the log; no verdict and no refresh followed.
    EXPECT_THAT(form.MemoText(), StartsWith("merge.hex 的校验值："));
    EXPECT_THAT(Log(), HasSubstr(InfoLine(form.MemoText())));
    EXPECT_EQ(view_.verdict, "FAIL");
    EXPECT_EQ(station.StandInCallCount(), 1);
}

TEST_F(ImageSelection, CancelledDialogKeepsTheImageAndStillRefreshes) {
    auto& station = Station();
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_SelectClick);

    EXPECT_THAT(view_.imageDialogFolders, ElementsAre(station.Path()));
    EXPECT_EQ(form.State().Hex_Path, station.ImagePath());
    EXPECT_EQ(station.StandInCallCount(), 2);
    EXPECT_EQ(view_.verdict, "Ready");
}

TEST_F(ImageSelection, ImageWithoutChecksumFileFailsWith104AndOffersTheChecksum) {
    auto& station = Station();
    station.MakeFolder("images");
    const std::string image =
        station / ("images" + std::string(1, os::kPathSeparator) + "app_v2.hex");
    test_support::StationFolder::WriteImage(image, 1024, 7);
    view_.imageAnswers.push_back(image);
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_SelectClick);

    EXPECT_EQ(form.State().Hex_Path, image);
    EXPECT_EQ(view_.hexPath, image);
    EXPECT_EQ(form.State().Hex_Name, "app_v2.hex");
    EXPECT_EQ(form.State().CRC_Path, os::FolderPart(image) + "app_v2.crc");
    EXPECT_EQ(form.State().Config_Path, station / "config.ini");
    EXPECT_EQ(form.State().Error_Code, 104);
    EXPECT_THAT(form.MemoText(),
                ::testing::EndsWith("ERROR:" + image + "的crc文件不存在，请先生成校验文件。\r\n"));
    EXPECT_TRUE(view_.checksumEnabled);
}

TEST_F(ImageSelection, NameOfAFileThatDoesNotExistFailsWith103) {
    auto& station = Station();
    view_.imageAnswers.push_back(station / "missing.hex");
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_SelectClick);
    EXPECT_EQ(form.State().Error_Code, 103);
    EXPECT_FALSE(view_.checksumEnabled);
}

TEST_F(OptionList, ShowsTheToolsOutputAndLeavesTheVerdictAlone) {
    Station();
    TRomForm& form = Shown();
    const std::string logBefore = Log();
    form.Handle(&TRomForm::Button_HelpClick);

    EXPECT_EQ(ToolCalls().back(), "-h");
    EXPECT_THAT(form.MemoText(), HasSubstr("--program"));
    EXPECT_EQ(view_.memo, form.MemoText());
    EXPECT_EQ(view_.verdict, "Ready");
    EXPECT_EQ(form.State().Error_Code, 0);
    EXPECT_EQ(Log(), logBefore);
}

TEST_F(OptionList, WithoutTheToolShowsWhatTheInterpreterSaid) {
    Station(test_support::StationParts::Without({test_support::Part::kTool}));
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_HelpClick);
    EXPECT_FALSE(form.MemoText().empty());
    EXPECT_EQ(form.State().Error_Code, 101);  // the refresh's code, untouched
}

TEST_F(StationTest, ExitClosesTheWindow) {
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_ExitClick);
    EXPECT_EQ(view_.closeRequests, 1);
    EXPECT_TRUE(form.RequestClose());
}

}  // namespace
