// The refresh the window runs when it is first shown: the pre-flight check in its fixed order.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <ostream>

#include "integrity/checksum.h"
#include "platform/paths.h"
#include "station/check/error_codes.h"
#include "station/run/operator_texts.h"
#include "station/run/verdict.h"
#include "station_fixture.h"
#include "tool/output_capture.h"
#include "tool/run_command.h"

using namespace station;

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

using FirstRefresh = StationTest;

TEST_F(FirstRefresh, CompleteStationIsReadyWithTheProbeOutput) {
    auto& station = Station();
    station.SetStandIn("serial=682123456,682654321\n");
    station.PinProbe("682654321");
    TRomForm& form = Shown();

    EXPECT_EQ(view_.verdict, "Ready");
    EXPECT_EQ(view_.verdictColour, kVerdictGreen);
    EXPECT_EQ(form.State().Error_Code, 0);
    EXPECT_THAT(form.State().Prog_Sn, ::testing::MatchesRegex("682123456\r?\n682654321\r?\n"));
    EXPECT_EQ(form.MemoText(), form.State().Prog_Sn);
    EXPECT_EQ(view_.memo, form.State().Prog_Sn);
    EXPECT_EQ(view_.serial, form.State().Prog_Sn);  // several lines, as it came
    EXPECT_EQ(form.State().Hex_Md5, integrity::FileChecksum(station.ImagePath()));
    EXPECT_FALSE(view_.checksumEnabled);
    EXPECT_THAT(ToolCalls(), ElementsAre("-i"));
    const std::string log = Log();
    const auto selfCheck = log.find(InfoLine("程序启动自检"));
    ASSERT_NE(selfCheck, std::string::npos) << log;
    EXPECT_NE(log.find(InfoLine(form.State().Prog_Sn), selfCheck), std::string::npos) << log;
    EXPECT_THAT(log, ::testing::Not(HasSubstr("[error]")));
}

// A text without a serial line (a missing J-Link library, a damaged tool) is no answer from a
// probe; the operator sees the text with the message.
TEST_F(FirstRefresh, ProbeErrorTextWithoutASerialIsNoAnswer) {
    Station().SetStandIn("serial=ERROR: probe not connected\n");
    TRomForm& form = Shown();
    EXPECT_EQ(view_.verdict, "FAIL");
    EXPECT_EQ(form.State().Error_Code, kNoProbeAnswer);
    EXPECT_THAT(form.MemoText(), ::testing::MatchesRegex("ERROR: probe not connected\r?\n"
                                                         "ERROR:请检查Jink是否已经正确安装。\r\n"));
}

TEST_F(FirstRefresh, HugeProbeOutputIsCutAndTheLabelShowsItsFirstLines) {
    if (os::kPathSeparator == '\\') {
        GTEST_SKIP() << "200 MB through Wine's pipes outlasts the probe query's limit";
    }
    Station().SetStandIn("long_output=200000000\n");
    TRomForm& form = Shown();

    EXPECT_EQ(view_.verdict, "Ready");
    const std::string& label = view_.serial;
    EXPECT_LE(label.size(), 4096u + std::string("…").size());
    const std::string note = OutputCutNote(tool::OutputCapture::kDefaultBound) + os::kLineBreak;
    EXPECT_THAT(label, ::testing::StartsWith(note + "Reading back flash block "))
        << label.substr(0, 80);
    EXPECT_THAT(label, ::testing::EndsWith("…"));
    // The text area keeps the end, where the serial number is.
    const std::string& memo = form.MemoText();
    EXPECT_GE(memo.rfind("682123456"), memo.size() - std::string("682123456\r\n").size());
    EXPECT_LE(form.MemoText().size(), (16u << 20) + note.size());
}

struct MissingPiece {
    const char* name;
    test_support::StationParts parts;
    const char* standIn;
    std::string checksumFile;  // replaces merge.crc when not empty
    int code;
    int toolRuns;

    friend void PrintTo(const MissingPiece& p, std::ostream* out) { *out << p.name; }
};

class FirstRefreshFails : public StationTest, public ::testing::WithParamInterface<MissingPiece> {};

TEST_P(FirstRefreshFails, WithTheFirstMissingPiecesCode) {
    const MissingPiece& piece = GetParam();
    auto& station = Station(piece.parts);
    station.SetStandIn(piece.standIn);
    if (!piece.checksumFile.empty()) {
        station.Write("merge.crc", piece.checksumFile);
    }
    TRomForm& form = Shown();

    EXPECT_EQ(form.State().Error_Code, piece.code);
    EXPECT_EQ(view_.verdict, "FAIL");
    EXPECT_EQ(view_.verdictColour, kVerdictRed);
    EXPECT_EQ(form.MemoText(), WithLastLine(form.State().Prog_Sn, form.ErrorText(piece.code)));
    EXPECT_EQ(station.StandInCallCount(), piece.toolRuns);
    EXPECT_TRUE(form.State().Hex_Md5.empty());
    if (piece.parts.config && piece.parts.logs) {
        EXPECT_THAT(Log(), HasSubstr(ErrorLine(form.MemoText())));
        EXPECT_THAT(Log(), HasSubstr(InfoLine(form.MemoText())));
    }
}

INSTANTIATE_TEST_SUITE_P(
    InFixedOrder, FirstRefreshFails,
    ::testing::Values(
        MissingPiece{"NothingButTheFolder", {false, false, false, false, false}, "", "", 101, 0},
        MissingPiece{"Tool", {false, true, true, true, true}, "", "", 101, 0},
        MissingPiece{"ProbeAnswerAndEverythingElse",
                     {true, false, false, false, false},
                     "probe=absent\n",
                     "",
                     102,
                     1},
        MissingPiece{"ImageAndChecksumFile", {true, false, false, true, true}, "", "", 103, 1},
        MissingPiece{"ChecksumFile", {true, true, false, true, true}, "", "", 104, 1},
        MissingPiece{"ConfigWithWrongChecksum",
                     {true, true, true, false, true},
                     "",
                     std::string(32, 'A'),
                     108,
                     1},
        MissingPiece{"LogFolder", {true, true, true, true, false}, "", "", 109, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FirstRefresh, EditedChecksumFileNoLongerMatches) {
    for (const bool lowerCase : {true, false}) {
        auto& station = Station();
        std::string stored = station.Read("merge.crc");
        ASSERT_EQ(stored, integrity::FileChecksum(station.ImagePath()));
        if (lowerCase) {
            for (char& c : stored) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
        } else {
            stored += "\r\n";
        }
        station.Write("merge.crc", stored);
        TRomForm& form = Shown();
        EXPECT_EQ(form.State().Error_Code, 105) << lowerCase;
        EXPECT_EQ(form.MemoText(),
                  form.State().Prog_Sn + "ERROR:hex文件CRC校验不通过，请确定hex文件版本。\r\n");
    }
}

TEST_F(FirstRefresh, ProbeQueryThatNeverEndsIsNoAnswer) {
    Station().SetStandIn("hang=probe\n");
    RunLimits limits;
    limits.probeQuery = std::chrono::seconds(1);
    TRomForm& form = Shown(limits);
    EXPECT_EQ(form.State().Error_Code, 102);
    EXPECT_THAT(form.MemoText(), HasSubstr(TimeoutLine(1)));
    EXPECT_THAT(form.MemoText(), HasSubstr("ERROR:请检查Jink是否已经正确安装。"));
    EXPECT_GT(view_.repaints, 0);  // the window kept painting while the query hung
}

TEST_F(FirstRefresh, MessagesNameTheStationsPaths) {
    TRomForm& form = Shown();
    EXPECT_EQ(form.ErrorText(101), "ERROR:" + form.State().Prog_Path + "文件不存在。");
    EXPECT_EQ(form.ErrorText(103), "ERROR:" + form.State().Hex_Path + "文件不存在。");
    EXPECT_EQ(form.ErrorText(104),
              "ERROR:" + form.State().Hex_Path + "的crc文件不存在，请先生成校验文件。");
    EXPECT_EQ(form.ErrorText(106), "ERROR:擦除Flash失败。");
    EXPECT_EQ(form.ErrorText(107), "ERROR:写入hex文件失败。");
    EXPECT_EQ(form.ErrorText(108), "ERROR:config.ini文件不存在。");
    EXPECT_EQ(form.ErrorText(109), "ERROR:logs目录不存在。");
    EXPECT_EQ(form.ErrorText(0), "ERROR:未知错误");
    EXPECT_EQ(form.ErrorText(111), "ERROR:未知错误");
}

}  // namespace
