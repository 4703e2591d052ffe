// The window itself: layout, verdict display, title, single instance, station paths.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <random>

#include "application_title.h"
#include "core_text.h"
#include "dialogs.h"
#include "os.h"
#include "programmer.h"
#include "station_window.h"
#include "verdict_text.h"

using ::testing::HasSubstr;

namespace {

std::string InFolder(const std::string& name) {
    return std::string("station") + os::kPathSeparator + name;
}

TEST(ApplicationTitle, IsTheNameUpToItsFirstDotWithTheRestLowerCased) {
    EXPECT_EQ(ApplicationTitle(InFolder("ROMTOOL.exe")), "Romtool");
    EXPECT_EQ(ApplicationTitle(InFolder("RomTool.exe")), "Romtool");
    EXPECT_EQ(ApplicationTitle(InFolder("romtool.exe")), "romtool");
    EXPECT_EQ(ApplicationTitle(InFolder("RomTool.Line2.exe")), "Romtool");
    EXPECT_EQ(ApplicationTitle(InFolder("RomTool.Station.exe")), "Romtool");
    EXPECT_EQ(ApplicationTitle("ROMTOOL"), "Romtool");
}

TEST(ErrorBox, AddsAFullStopAfterCharactersThatComeAfterIt) {
    EXPECT_EQ(ErrorBoxText("Cannot open file \"x\". Permission denied"),
              "Cannot open file \"x\". Permission denied.");
    EXPECT_EQ(ErrorBoxText("ends."), "ends.");
    EXPECT_EQ(ErrorBoxText("ends with a blank "), "ends with a blank ");
    EXPECT_EQ(ErrorBoxText("ends with -"), "ends with -");
    EXPECT_EQ(ErrorBoxText("失败"), "失败.");
    EXPECT_EQ(ErrorBoxText(""), "");
}

TEST(ErrorBox, QtBoxesHaveTheirIconAndOneOkButton) {
    const auto error = MakeMessageBox(QMessageBox::Critical, nullptr, "Romtool", "text");
    EXPECT_EQ(error->icon(), QMessageBox::Critical);
    EXPECT_EQ(error->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(error->windowTitle(), "Romtool");
    EXPECT_EQ(error->text(), "text");
    EXPECT_EQ(MakeMessageBox(QMessageBox::NoIcon, nullptr, "Romtool", "x")->icon(),
              QMessageBox::NoIcon);
}

TEST(VerdictText, ErrorLineGoesOnANewLastLine) {
    EXPECT_EQ(WithLastLine("", "E"), "E\r\n");
    EXPECT_EQ(WithLastLine("out\r\n", "E"), "out\r\nE\r\n");
    EXPECT_EQ(WithLastLine("out\n", "E"), "out\nE\r\n");
    EXPECT_EQ(WithLastLine("out", "E"), "out\r\nE");
}

using StationWindow = StationWindowTest;

TEST_F(StationWindow, HasTheFixedLayout) {
    TRomForm& form = Window();
    EXPECT_EQ(form.windowTitle(), "NRF系列芯片ROM烧写工具 V1.0（限内部使用） ");
    EXPECT_EQ(form.size(), QSize(704, 491));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(form.font().family(), "Tahoma");
    EXPECT_EQ(form.font().pixelSize(), 11);

    struct Control {
        QWidget* widget;
        QString caption;
        QRect geometry;
    };
    const Control controls[] = {
        {form.GroupBox_Jlink, "Jlink信息", {0, 0, 704, 73}},
        {form.Button_GetJlink, "刷新信息", {608, 26, 75, 25}},
        {form.GroupBox_Hex, "HEX文件", {0, 73, 704, 80}},
        {form.Edit_Hex, "", {32, 32, 497, 21}},
        {form.Button_Select, "选择", {535, 31, 46, 25}},
        {form.Button_CRC, "写入校验", {608, 32, 79, 25}},
        {form.GroupBox_Para, "参数", {0, 153, 704, 80}},
        {form.Edit_Para, "", {32, 32, 537, 21}},
        {form.Button_Help, "参数列表", {607, 27, 79, 25}},
        {form.GroupBox_Output, "输出", {0, 233, 704, 208}},
        {form.Panel1_Exec, "", {0, 441, 704, 50}},
        {form.cb_erase, "烧写前先执行擦除", {96, 12, 129, 17}},
        {form.Button_Start, "开始(&S)", {277, 6, 161, 31}},
        {form.Button_Exit, "退出", {608, 7, 75, 25}},
    };
    for (const Control& c : controls) {
        EXPECT_EQ(c.widget->geometry(), c.geometry) << Utf8(c.caption);
        if (auto* group = qobject_cast<QGroupBox*>(c.widget)) {
            EXPECT_EQ(group->title(), c.caption);
        } else if (auto* button = qobject_cast<QAbstractButton*>(c.widget)) {
            EXPECT_EQ(button->text(), c.caption);
        }
    }
    EXPECT_EQ(form.Label_SN1->text(), "序列号：");
    EXPECT_EQ(form.Label_SN1->pos(), QPoint(32, 31));
    EXPECT_EQ(form.Label_SN->pos(), QPoint(86, 31));
    EXPECT_EQ(form.Label1->text(), "1.2.0");
    EXPECT_EQ(form.Label1->pos(), QPoint(456, 16));
    EXPECT_EQ(form.Panel_Result->height(), 102);
    EXPECT_EQ(form.Panel_Result->alignment(), Qt::AlignCenter);
    EXPECT_EQ(form.Memo_Output->geometry().top(), form.Panel_Result->geometry().bottom() + 1);
    EXPECT_EQ(form.Memo_Output->font().pixelSize(), 14);
    EXPECT_EQ(form.Memo_Output->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(form.Memo_Output->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_TRUE(form.cb_erase->isChecked());
}

TEST_F(StationWindow, TabsThroughTheGroupsFromTopToBottom) {
    TRomForm& form = Window();
    const QWidget* expected[] = {form.Button_GetJlink, form.Edit_Hex,       form.Button_CRC,
                                 form.Button_Select,   form.Edit_Para,      form.Button_Help,
                                 form.Memo_Output,     form.Button_Start,   form.Button_Exit,
                                 form.cb_erase,        form.Button_GetJlink};
    for (std::size_t i = 0; i + 1 < std::size(expected); ++i) {
        QWidget* next = expected[i]->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus)) {
            next = next->nextInFocusChain();
        }
        EXPECT_EQ(next, expected[i + 1]) << i;
    }
}

TEST_F(StationWindow, FirstVerdictReplacesTheLayoutFontByTheSmallerVerdictFont) {
    Station({false, true, true, true, true});
    auto form =
        std::make_unique<TRomForm>(StationSetup{station_->Path() + kExecutableName, dialogs_});
    EXPECT_EQ(form->Panel_Result->text(), "--");
    EXPECT_EQ(form->Panel_Result->font().pixelSize(), 96);
    EXPECT_FALSE(form->Panel_Result->font().bold());
    EXPECT_EQ(TextColour(*form->Panel_Result), kVerdictGreen);

    form->Error_Code = 0;
    form->ShowResult("PASS", "");
    const QFont verdict = form->Panel_Result->font();
    EXPECT_EQ(verdict.family(), "宋体");
    EXPECT_TRUE(verdict.bold());
    EXPECT_TRUE(verdict.italic());
    const QFontMetrics metrics(verdict);
    EXPECT_NEAR(metrics.ascent() + metrics.descent(), 72, 2);
    EXPECT_LT(verdict.pixelSize(), 96);
}

TEST_F(StationWindow, ShowResultPlacesTheErrorLineAndLogsAtBothLevels) {
    Station({false, true, true, true, true});
    TRomForm form(StationSetup{station_->Path() + kExecutableName, dialogs_});
    struct Case {
        QString detail;
        QString shown;
    };
    const QString message = "ERROR:写入hex文件失败。";
    for (const Case& c : {Case{"out\r\n", "out\r\n" + message + "\r\n"},
                          Case{"out", "out\r\n" + message}, Case{"", message + "\r\n"}}) {
        form.Error_Code = 107;
        form.ShowResult("PASS", c.detail);
        EXPECT_EQ(form.Panel_Result->text(), "FAIL");
        EXPECT_EQ(TextColour(*form.Panel_Result), kVerdictRed);
        EXPECT_EQ(form.MemoText(), c.shown);
        EXPECT_THAT(Log(), HasSubstr(ErrorLine(c.shown)));
        EXPECT_THAT(Log(), HasSubstr(InfoLine(c.shown)));
    }
    form.Error_Code = 0;
    form.Prog_Sn = "682123456\r\n";
    form.ShowResult("Ready", "");
    EXPECT_EQ(form.Panel_Result->text(), "Ready");
    EXPECT_EQ(TextColour(*form.Panel_Result), kVerdictGreen);
    EXPECT_EQ(form.MemoText(), "");
    EXPECT_EQ(form.Label_SN->text(), "682123456\n");
}

TEST_F(StationWindow, CrLfShowsAsOneLineBreak) {
    Station({false, true, true, true, true});
    TRomForm form(StationSetup{station_->Path() + kExecutableName, dialogs_});
    form.SetMemoText("first\r\nsecond\r\n");
    EXPECT_EQ(form.Memo_Output->document()->blockCount(), 3);
    EXPECT_EQ(form.Memo_Output->toPlainText(), "first\nsecond\n");
    EXPECT_EQ(form.MemoText(), "first\r\nsecond\r\n");
}

TEST_F(StationWindow, InitDerivesEveryPathFromTheStationFolder) {
    auto& station = Station();
    TRomForm form(StationSetup{station.Path() + kExecutableName, dialogs_});
    const std::string sep(1, os::kPathSeparator);
    EXPECT_EQ(Utf8(form.App_Path), station.Path());
    EXPECT_EQ(Utf8(form.Hex_Path), station.ImagePath());
    EXPECT_EQ(Utf8(form.CRC_Path), station.ChecksumPath());
    EXPECT_EQ(Utf8(form.Bin_Path), station.Path() + "bin" + sep);
    EXPECT_EQ(Utf8(form.Prog_Path), station.ToolPath());
    EXPECT_EQ(Utf8(form.Config_Path), station.Path() + "config.ini");
    EXPECT_EQ(Utf8(form.Log_Path), station.Path() + "logs");
    EXPECT_EQ(form.Prog_Para, "  --verify --rbp ALL --pinreset  ");
    EXPECT_EQ(Utf8(form.Edit_Para->text()), tool::CommandTemplate(station.ToolPath()));

    form.Hex_Md5 = "kept";
    for (const auto& [name, checksumName] :
         {std::pair<QString, QString>{"fw.ihex", "fw..crc"}, {"abcd", ".crc"}, {"abc", ".crc"}}) {
        form.Hex_Path = FromUtf8(station.Path()) + name;
        form.Init(false);
        EXPECT_EQ(form.Hex_Name, name);
        EXPECT_EQ(form.CRC_Path, FromUtf8(station.Path()) + checksumName);
    }
    EXPECT_EQ(form.Hex_Md5, "kept");
    form.Init(true);
    EXPECT_EQ(Utf8(form.Hex_Path), station.ImagePath());
}

TEST_F(StationWindow, SecondWindowUnderTheSameTitleSeesTheFirst) {
    Station({false, true, true, true, true});
    std::random_device random;
    const std::string name = "Single" + std::to_string(random()) + ".exe";
    TRomForm first(StationSetup{station_->Path() + name, dialogs_});
    TRomForm second(StationSetup{station_->Path() + name, dialogs_});
    TRomForm other(StationSetup{station_->Path() + "Other" + name, dialogs_});
    EXPECT_FALSE(first.AnotherCopyRunning());
    EXPECT_TRUE(second.AnotherCopyRunning());
    EXPECT_FALSE(other.AnotherCopyRunning());
}

}  // namespace
