// The operator's other actions: checksum writing, image selection, the option list.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "checksum.h"
#include "core_text.h"
#include "log4me.h"
#include "os.h"
#include "station_window.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

using ChecksumWriting = StationWindowTest;
using ImageSelection = StationWindowTest;
using OptionList = StationWindowTest;

TEST_F(ChecksumWriting, IsOfferedOnlyForAnImageWithoutChecksumFile) {
    struct Case {
        test_support::StationParts parts;
        bool enabled;
    };
    for (const Case& c : {Case{{}, false}, Case{{true, true, false, true, true}, true},
                          Case{{true, false, false, true, true}, false}}) {
        form_.reset();
        log4me::Stop();
        Station(c.parts);
        EXPECT_EQ(Window().Button_CRC->isEnabled(), c.enabled) << c.parts.image << c.parts.checksum;
    }
}

TEST_F(ChecksumWriting, WritesTheFileShowsTheBoxAndRefreshes) {
    auto& station = Station({true, true, false, true, true});
    TRomForm& form = Window();
    ASSERT_EQ(form.Error_Code, 104);
    const std::string checksum = integrity::FileChecksum(station.ImagePath());
    QString panelWhileBoxOpen;
    QString textWhileBoxOpen = "unset";
    dialogs_->whileBoxOpen = [&] {
        panelWhileBoxOpen = form.Panel_Result->text();
        textWhileBoxOpen = form.MemoText();
    };
    Click(form.Button_CRC);

    EXPECT_EQ(station.Read("merge.crc"), checksum);
    EXPECT_EQ(station.Read("merge.crc").size(), 32u);
    ASSERT_EQ(dialogs_->boxes.size(), 1u);
    EXPECT_FALSE(dialogs_->boxes[0].error);
    EXPECT_EQ(dialogs_->boxes[0].title, "Romtool");
    EXPECT_EQ(dialogs_->boxes[0].text, "merge.hex的校验信息写入成功");
    EXPECT_EQ(panelWhileBoxOpen, "CRC OK");
    EXPECT_EQ(textWhileBoxOpen, "");
    // The refresh after the box shows the probe output and takes the button away.
    EXPECT_EQ(form.Panel_Result->text(), "Ready");
    EXPECT_EQ(form.MemoText(), form.Prog_Sn);
    EXPECT_FALSE(form.Button_CRC->isEnabled());
    EXPECT_THAT(ToolCalls(), ElementsAre("-i", "-i"));
    const std::string log = Log();
    const auto writing = log.find(InfoLine("写入文件校验"));
    ASSERT_NE(writing, std::string::npos) << log;
    const auto report = log.find(
        InfoLine("merge.hex 的校验值：" + FromUtf8(checksum) + "，信息已经保存到crc文件中。"),
        writing);
    ASSERT_NE(report, std::string::npos) << log;
    EXPECT_NE(log.find(InfoLine(""), report), std::string::npos) << log;
}

TEST_F(ChecksumWriting, ChecksumFileThatCannotBeCreatedEndsTheActionInTheErrorBox) {
    auto& station = Station({true, true, false, true, true});
    station.MakeFolder("merge.crc");  // a folder where the file would go
    TRomForm& form = Window();
    ASSERT_TRUE(form.Button_CRC->isEnabled());
    Click(form.Button_CRC);

    ASSERT_EQ(dialogs_->boxes.size(), 1u);
    EXPECT_TRUE(dialogs_->boxes[0].error);
    EXPECT_EQ(dialogs_->boxes[0].title, "Romtool");
    EXPECT_TRUE(dialogs_->boxes[0].text.startsWith("Cannot create file \"" +
                                                   FromUtf8(station.ChecksumPath()) + "\""))
        << Utf8(dialogs_->boxes[0].text);
    // The report is in the text area and the log; no verdict and no refresh followed.
    EXPECT_TRUE(form.MemoText().startsWith("merge.hex 的校验值："));
    EXPECT_THAT(Log(), HasSubstr(InfoLine(form.MemoText())));
    EXPECT_EQ(form.Panel_Result->text(), "FAIL");
    EXPECT_EQ(station.StandInCallCount(), 1);
}

TEST_F(ImageSelection, CancelledDialogKeepsTheImageAndStillRefreshes) {
    auto& station = Station();
    TRomForm& form = Window();
    Click(form.Button_Select);

    ASSERT_EQ(dialogs_->imageDialogFolders.size(), 1u);
    EXPECT_EQ(Utf8(dialogs_->imageDialogFolders[0]) + os::kPathSeparator, station.Path());
    EXPECT_EQ(Utf8(form.Hex_Path), station.ImagePath());
    EXPECT_EQ(station.StandInCallCount(), 2);
    EXPECT_EQ(form.Panel_Result->text(), "Ready");
}

TEST_F(ImageSelection, DialogIsTheWindowsOwnAndAcceptsAnyName) {
    TRomForm& form = Window();
    EXPECT_EQ(form.OpenDialogHex->parent(), &form);
    EXPECT_EQ(form.OpenDialogHex->nameFilters(), QStringList{"hex (*.hex)"});
    EXPECT_EQ(form.OpenDialogHex->defaultSuffix(), "hex");
    EXPECT_EQ(form.OpenDialogHex->fileMode(), QFileDialog::AnyFile);
    EXPECT_EQ(form.OpenDialogHex->acceptMode(), QFileDialog::AcceptOpen);
}

TEST_F(ImageSelection, ImageWithoutChecksumFileFailsWith104AndOffersTheChecksum) {
    auto& station = Station();
    station.MakeFolder("images");
    const std::string image = station / "images/app_v2.hex";
    test_support::StationFolder::WriteImage(image, 1024, 7);
    dialogs_->imageAnswers.push_back(FromUtf8(image));
    TRomForm& form = Window();
    Click(form.Button_Select);

    const QString hexPath = QDir::toNativeSeparators(FromUtf8(image));
    EXPECT_EQ(form.Hex_Path, hexPath);
    EXPECT_EQ(form.Edit_Hex->text(), hexPath);
    EXPECT_EQ(form.Hex_Name, "app_v2.hex");
    EXPECT_EQ(form.CRC_Path, QDir::toNativeSeparators(FromUtf8(station / "images/app_v2.crc")));
    EXPECT_EQ(Utf8(form.Config_Path), station / "config.ini");
    EXPECT_EQ(form.Error_Code, 104);
    EXPECT_TRUE(
        form.MemoText().endsWith("ERROR:" + hexPath + "的crc文件不存在，请先生成校验文件。\r\n"));
    EXPECT_TRUE(form.Button_CRC->isEnabled());
}

TEST_F(ImageSelection, NameOfAFileThatDoesNotExistFailsWith103) {
    auto& station = Station();
    dialogs_->imageAnswers.push_back(FromUtf8(station / "missing.hex"));
    TRomForm& form = Window();
    Click(form.Button_Select);
    EXPECT_EQ(form.Error_Code, 103);
    EXPECT_FALSE(form.Button_CRC->isEnabled());
}

TEST_F(OptionList, ShowsTheToolsOutputAndLeavesTheVerdictAlone) {
    Station();
    TRomForm& form = Window();
    const std::string logBefore = Log();
    Click(form.Button_Help);

    EXPECT_EQ(ToolCalls().back(), "-h");
    EXPECT_THAT(Utf8(form.MemoText()), HasSubstr("--program"));
    EXPECT_EQ(form.Panel_Result->text(), "Ready");
    EXPECT_EQ(form.Error_Code, 0);
    EXPECT_EQ(Log(), logBefore);
}

TEST_F(OptionList, WithoutTheToolShowsWhatTheInterpreterSaid) {
    Station({false, true, true, true, true});
    TRomForm& form = Window();
    Click(form.Button_Help);
    EXPECT_FALSE(form.MemoText().isEmpty());
    EXPECT_EQ(form.Error_Code, 101);  // the refresh's code, untouched
}

}  // namespace
