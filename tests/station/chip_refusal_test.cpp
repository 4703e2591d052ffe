// Boards the programmer refuses for the chip itself: a chip of another family than config.ini
// names, and a chip that came protected (or was protected since) when the station may not, or
// was not asked to, recover it. The operator reads why above the usual failure message, and
// nothing is written to the chip.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/text.h"
#include "record/production_record.h"
#include "station/check/error_codes.h"
#include "station_fixture.h"

using namespace station;

using ::testing::EndsWith;
using ::testing::HasSubstr;

namespace {

struct RefusalCase {
    const char* name;
    bool nrfutil;
    const char* chip;     // config.ini's [chip] lines
    const char* standIn;  // the board in the fixture
    bool erase;
    const char* cause;  // the line above the failure message
    std::size_t calls;  // after the checks: the one refused

    friend void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.name; }
};

class ChipRefusal : public StationTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ChipRefusal, SaysWhyAboveTheFailureAndWritesNothing) {
    const RefusalCase& c = GetParam();
    auto& station = Station();
    station.SetStandIn(c.standIn);
    station.Write("config.ini", station.Read("config.ini") +
                                    (c.nrfutil ? "[station]\r\nprogrammer=nrfutil\r\n" : "") +
                                    c.chip);
    view_.erase = c.erase;
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_StartClick);

    EXPECT_EQ(form.State().Error_Code, kProgrammingFailed);
    EXPECT_THAT(form.MemoText(),
                EndsWith("\n" + std::string(c.cause) + "\r\nERROR:写入hex文件失败。\r\n"));
    EXPECT_EQ(CallsAfterTheChecks().size(), c.calls) << station.StandInCalls();
    EXPECT_FALSE(station.Exists("bin/flash.bin")) << "nothing was written";
    EXPECT_THAT(Log(), HasSubstr(os::ToAnsi(c.cause).bytes()));  // the log is in the code page
    if (*c.chip != '\0') {  // the operator's template names the family as the run does
        EXPECT_THAT(view_.command, HasSubstr(c.nrfutil ? " --family nrf52" : " -f NRF52 "));
    }
}

constexpr char kFactory[] = "protection=factory\n";
constexpr char kNrf52[] = "[chip]\r\nfamily=nrf52\r\n";
constexpr char kNrf52Recover[] = "[chip]\r\nfamily=nrf52\r\nrecover=yes\r\n";
// sessions=fewest: the DEVICEID read that comes first is refused as the program call was.
constexpr char kNrf52FewestTrace[] =
    "[chip]\r\nfamily=nrf52\r\nsessions=fewest\r\n[trace]\r\ndeviceid=yes\r\n";
constexpr char kNrf52RecoverFewestTrace[] =
    "[chip]\r\nfamily=nrf52\r\nrecover=yes\r\nsessions=fewest\r\n[trace]\r\ndeviceid=yes\r\n";
constexpr char kOtherFamily[] =
    "电路板上的芯片不是config.ini中指定的系列（[chip] family=nrf52），没有写入任何内容。请确认板子"
    "和config.ini。";
constexpr char kSetRecover[] =
    "芯片处于读保护状态（出厂即加锁或返修的板子），擦除不能解锁：请在config.ini的[chip]中设置"
    "recover=yes，勾选“烧写前先执行擦除”时会先解锁（recover）芯片再烧写。";
constexpr char kCheckTheBox[] =
    "芯片处于读保护状态：勾选“烧写前先执行擦除”后再烧写，烧写前会先解锁（recover）芯片。";
constexpr char kCheckTheBoxOrRecover[] =
    "芯片处于读保护状态：勾选“烧写前先执行擦除”后再烧写；出厂即加锁的芯片还需在config.ini的[chip]"
    "中设置recover=yes，烧写前先解锁（recover）。";

INSTANTIATE_TEST_SUITE_P(
    Boards, ChipRefusal,
    ::testing::Values(RefusalCase{"NrfjprogOtherFamily", false, kNrf52Recover, "family=nrf53\n",
                                  true, kOtherFamily, 1},
                      RefusalCase{"NrfutilOtherFamily", true, kNrf52Recover, "family=nrf53\n", true,
                                  kOtherFamily, 1},
                      RefusalCase{"NrfjprogFactoryProtectedErasedNotRecovered", false, kNrf52,
                                  kFactory, true, kSetRecover, 1},
                      RefusalCase{"NrfutilFactoryProtectedErasedNotRecovered", true, kNrf52,
                                  kFactory, true, kSetRecover, 1},
                      RefusalCase{"NrfjprogFactoryProtectedBoxCleared", false, kNrf52Recover,
                                  kFactory, false, kCheckTheBox, 1},
                      RefusalCase{"NrfutilFactoryProtectedBoxCleared", true, kNrf52Recover,
                                  kFactory, false, kCheckTheBox, 1},
                      RefusalCase{"NrfjprogFactoryProtectedWithoutChip", false, "", kFactory, true,
                                  kSetRecover, 1},
                      RefusalCase{"FewestFactoryProtectedErasedNotRecovered", false,
                                  kNrf52FewestTrace, kFactory, true, kSetRecover, 1},
                      RefusalCase{"FewestFactoryProtectedBoxCleared", false,
                                  kNrf52RecoverFewestTrace, kFactory, false, kCheckTheBox, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// A board protected by an earlier press: the erase opens it as always (no recover needed), and
// without it the operator is told so.
TEST_F(StationTest, ProtectedByAnEarlierPressIsOpenedByTheErase) {
    Station();
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_StartClick);
    ASSERT_EQ(view_.verdict, "PASS");
    view_.erase = false;
    form.Handle(&TRomForm::Button_StartClick);
    EXPECT_THAT(form.MemoText(), EndsWith(std::string("\n") + kCheckTheBoxOrRecover +
                                          "\r\nERROR:写入hex文件失败。\r\n"));
    view_.erase = true;
    form.Handle(&TRomForm::Button_StartClick);
    EXPECT_EQ(view_.verdict, "PASS") << form.MemoText();
}

}  // namespace
