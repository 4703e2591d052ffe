// Several probes on one PC: each station programs through the probe config.ini binds it to, and
// never leaves the choice to the programmer (which would ask, or pick a board itself).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "csv_reader.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "record/production_record.h"
#include "record/record_columns.h"
#include "station/check/error_codes.h"
#include "station_fixture.h"

using namespace station;

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

struct BindingCase {
    const char* name;
    const char* serials;  // what the probe query lists
    const char* pins;     // config.ini's [station] lines; "" for none
    int errorCode;
    const char* snr;       // the serial the programming command names; "" for none
    const char* message;   // the verdict's last line when the check fails
    const char* recorded;  // the production record's probe_serial

    friend void PrintTo(const BindingCase& c, std::ostream* out) { *out << c.name; }
};

class ProbeBinding : public StationTest, public ::testing::WithParamInterface<BindingCase> {};

TEST_P(ProbeBinding, ProgramsOnlyThroughTheBoundProbe) {
    const BindingCase& c = GetParam();
    auto& station = Station();
    station.SetStandIn(std::string("serial=") + c.serials + "\n");
    if (*c.pins) {
        station.Write("config.ini", station.Read("config.ini") + "[station]\r\n" + c.pins);
    }
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_StartClick);

    EXPECT_EQ(form.State().Error_Code, c.errorCode);
    const std::string bound = *c.snr ? std::string("--snr ") + c.snr + " " : "";
    if (c.errorCode == 0) {
        EXPECT_EQ(view_.verdict, "PASS");
        EXPECT_THAT(ToolCalls().back(), ::testing::StartsWith(bound + "-e --program "));
        EXPECT_THAT(Log(), HasSubstr("[info ]Para=" + os::QuoteArgument(form.State().Prog_Path) +
                                     " " + bound + "-e --program "));
        EXPECT_THAT(view_.command, HasSubstr(" " + bound + "--programs @hex "));
    } else {
        EXPECT_EQ(view_.verdict, "FAIL");
        EXPECT_THAT(form.MemoText(), EndsWith(std::string(c.message) + "\r\n"));
        EXPECT_THAT(Log(), HasSubstr(ErrorLine(form.MemoText())));
        EXPECT_THAT(ToolCalls(), ElementsAre("-i", "-i"));  // nothing was programmed
    }
    const test_support::CsvRows rows = RecordRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][record::IndexOf(record::Column::kProbeSerial)], c.recorded);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProbeBinding,
    ::testing::Values(
        BindingCase{"PinnedAndListed", "682123456,682000777", "probe=682000777\r\n", 0, "682000777",
                    "", "682000777"},
        BindingCase{"PinWrittenWithLeadingZeros", "682123456,682000777", "probe=000682000777\r\n",
                    0, "682000777", "", "682000777"},
        BindingCase{"ListingWithLeadingZeros", "001051159862,001051810810", "probe=1051810810\r\n",
                    0, "1051810810", "", "1051810810"},
        BindingCase{"TitleKeyWinsOverTheFolderKey", "682123456,682000777",
                    "probe=682123456\r\nprobe.Romtool=682000777\r\n", 0, "682000777", "",
                    "682000777"},
        BindingCase{"OtherTitlesKeyIsNotThisCopys", "682123456,682000777",
                    "probe.Line2=682000777\r\n", kSeveralProbes, "",
                    "ERROR:连接了多个Jlink，请在config.ini的[station]中用probe指定本工位的序列号。",
                    ""},
        BindingCase{"PinnedNotListed", "682123456,682000777", "probe=682999999\r\n", kProbeNotFound,
                    "", "ERROR:未找到序列号为682999999的Jlink，请检查连接。", ""},
        BindingCase{"PinNotDigits", "682123456", "probe=J-Link 2\r\n", kProbeNotFound, "",
                    "ERROR:未找到序列号为J-Link 2的Jlink，请检查连接。", ""},
        BindingCase{"TwoListedNonePinned", "682123456,682000777", "", kSeveralProbes, "",
                    "ERROR:连接了多个Jlink，请在config.ini的[station]中用probe指定本工位的序列号。",
                    ""},
        // One probe: as without the binding. A query that printed only an error text listed
        // no probe at all.
        BindingCase{"OneListedNonePinned", "682123456", "", 0, "", "", "682123456"},
        BindingCase{"OnlyAnErrorTextNonePinned", "ERROR: JLinkARM.dll not found", "",
                    kNoProbeAnswer, "", "ERROR:请检查Jink是否已经正确安装。", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// Two copies of the program in one folder, under different titles, each with its own probe.
TEST_F(ProbeBinding, CopiesInOneFolderEachProgramThroughTheirOwnProbe) {
    auto& station = Station();
    station.SetStandIn("serial=682123456,682000777\n");
    station.Write("config.ini",
                  station.Read("config.ini") +
                      "[station]\r\nprobe.Line1=682123456\r\nprobe.Line2=682000777\r\n");
    for (const char* copy : {"Line1.exe", "Line2.exe"}) {
        form_.reset();
        TRomForm& form = Created(copy);
        form.Handle(&TRomForm::FormShow);
        form.Handle(&TRomForm::Button_StartClick);
        EXPECT_EQ(view_.verdict, "PASS") << copy;
    }
    const std::vector<std::string> calls = ToolCalls();
    EXPECT_THAT(calls, ::testing::Contains(::testing::StartsWith("--snr 682123456 -e --program ")));
    EXPECT_THAT(calls, ::testing::Contains(::testing::StartsWith("--snr 682000777 -e --program ")));
    EXPECT_THAT(calls, Not(::testing::Contains(::testing::StartsWith("-e --program "))));
}

}  // namespace
