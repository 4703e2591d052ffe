// The station's rules without a window: title, error box text, verdict display, station paths
// and single instance.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "platform/paths.h"
#include "station/form/error_box.h"
#include "station/run/verdict.h"
#include "station/settings/application_title.h"
#include "station/settings/station_paths.h"
#include "station_fixture.h"

using namespace station;

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
    EXPECT_EQ(ApplicationTitle(InFolder("烧写ROM.exe")), "烧写rom");
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

TEST(VerdictText, ErrorLineGoesOnANewLastLine) {
    EXPECT_EQ(WithLastLine("", "E"), "E\r\n");
    EXPECT_EQ(WithLastLine("out\r\n", "E"), "out\r\nE\r\n");
    EXPECT_EQ(WithLastLine("out\n", "E"), "out\nE\r\n");
    EXPECT_EQ(WithLastLine("out", "E"), "out\r\nE");
}

using FormRules = StationTest;

TEST_F(FormRules, ShowResultPlacesTheErrorLinePaintsAndLogsAtBothLevels) {
    Station(test_support::StationParts::Without({test_support::Part::kTool}));
    TRomForm& form = Created();
    // The layout's font until the first verdict.
    EXPECT_EQ(view_.verdictFont, (FontSpec{"宋体", -96}));
    struct Case {
        std::string detail;
        std::string shown;
    };
    const std::string message = "ERROR:写入hex文件失败。";
    for (const Case& c : {Case{"out\r\n", "out\r\n" + message + "\r\n"},
                          Case{"out", "out\r\n" + message}, Case{"", message + "\r\n"}}) {
        form.ShowResult(Failed(107, c.detail, form.ErrorText(107), ""));
        EXPECT_EQ(view_.verdict, "FAIL");
        EXPECT_EQ(view_.verdictColour, kVerdictRed);
        EXPECT_EQ(form.MemoText(), c.shown);
        EXPECT_EQ(view_.memo, c.shown);
        EXPECT_EQ(form.State().Error_Code, 107);
        EXPECT_THAT(Log(), HasSubstr(ErrorLine(c.shown)));
        EXPECT_THAT(Log(), HasSubstr(InfoLine(c.shown)));
    }
    form.ShowResult(Passed("Ready", "", "682123456\r\n"));
    EXPECT_EQ(view_.verdict, "Ready");
    EXPECT_EQ(view_.verdictColour, kVerdictGreen);
    EXPECT_EQ(view_.verdictFont, (FontSpec{"宋体", 72, true, true}));
    EXPECT_EQ(form.MemoText(), "");
    EXPECT_EQ(form.State().Error_Code, 0);
    EXPECT_EQ(view_.serial, "682123456\r\n");
}

TEST_F(FormRules, InitDerivesEveryPathFromTheStationFolder) {
    auto& station = Station();
    TRomForm& form = Created();
    const std::string sep(1, os::kPathSeparator);
    EXPECT_EQ(form.State().App_Path, station.Path());
    EXPECT_EQ(form.State().Hex_Path, station.ImagePath());
    EXPECT_EQ(form.State().CRC_Path, station.ChecksumPath());
    EXPECT_EQ(form.State().Bin_Path, station.Path() + "bin" + sep);
    EXPECT_EQ(form.State().Prog_Path, station.ToolPath());
    EXPECT_EQ(form.State().Config_Path, station.Path() + "config.ini");
    EXPECT_EQ(form.State().Log_Path, station.Path() + "logs");
    EXPECT_EQ(view_.hexPath, station.ImagePath());
    // What the operator reads under 参数: the tool, the template's own word, the run's options.
    EXPECT_EQ(view_.command, os::QuoteArgument(station.ToolPath()) +
                                 " --programs @hex   --verify --rbp ALL --pinreset  ");
    EXPECT_EQ(view_.verdict, "--");  // nothing is checked before the window is shown
    EXPECT_EQ(station.StandInCallCount(), 0);
}

// The checksum file is the image's name without its last four characters, whatever they are.
TEST(StationPaths, ChecksumFileIsTheImagesNameWithoutItsLastFourCharacters) {
    const std::string station = InFolder("");
    for (const auto& [name, checksumName] :
         {std::pair<std::string, std::string>{"fw.ihex", "fw..crc"},
          {"abcd", ".crc"},
          {"abc", ".crc"},
          {"固件.hex", "固件.crc"},
          {"a固件hex", "a固.crc"}}) {
        const StationPaths paths = DerivePaths(station + "RomTool.exe", station + name);
        EXPECT_EQ(paths.Hex_Name, name);
        EXPECT_EQ(paths.CRC_Path, station + checksumName);
    }
    EXPECT_EQ(DerivePaths(station + "RomTool.exe", "").Hex_Path, station + "merge.hex");
}

// A passing check's checksum stays until the next passing check replaces it.
TEST_F(FormRules, InitKeepsTheLastPassingChecksum) {
    Station();
    TRomForm& form = Shown();
    const std::string passed = form.State().Hex_Md5;
    EXPECT_EQ(passed.size(), 32u);
    form.Init(false);
    EXPECT_EQ(form.State().Hex_Md5, passed);
    form.Init(true);
    EXPECT_EQ(form.State().Hex_Md5, passed);
}

TEST_F(FormRules, SecondFormUnderTheSameTitleSeesTheFirst) {
    Station(test_support::StationParts::Without({test_support::Part::kTool}));
    std::random_device random;
    const std::string name = "Single" + std::to_string(random()) + ".exe";
    RecordingView views[3];
    TRomForm first(views[0], station_->Path() + name);
    TRomForm second(views[1], station_->Path() + name);
    TRomForm other(views[2], station_->Path() + "Other" + name);
    for (TRomForm* form : {&first, &second, &other}) {
        form->FormCreate();
    }
    EXPECT_FALSE(first.AnotherCopyRunning());
    EXPECT_TRUE(second.AnotherCopyRunning());
    EXPECT_FALSE(other.AnotherCopyRunning());
}

}  // namespace
