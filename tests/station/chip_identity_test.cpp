// Each chip known and numbered: the DEVICEID read and recorded, a serial number of the station's
// range written into the chip and never issued twice, with both programmers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "csv_reader.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "record/production_record.h"
#include "record/record_columns.h"
#include "run_steps.h"
#include "serial_numbers/serial_number_store.h"
#include "station/check/error_codes.h"
#include "station_fixture.h"
#include "tool/run_command.h"

using namespace station;

using record::Column;
using record::IndexOf;
using ::testing::EndsWith;
using ::testing::HasSubstr;

namespace {

constexpr char kTrace[] = "[trace]\r\ndeviceid=yes\r\n";
constexpr char kSerial[] = "[serial]\r\naddress=0x10001080\r\nfirst=100000\r\nlast=100002\r\n";
constexpr char kBoth[] =
    "[trace]\r\ndeviceid=yes\r\n[serial]\r\naddress=0x10001080\r\nfirst=100000\r\nlast=100002\r\n";

using chip_steps::ChipStation;
using chip_steps::RunSteps;
using chip_steps::StepsCase;

TEST_P(RunSteps, ReadAndWriteWhileTheChipIsOpenThenProtectAndReset) {
    const StepsCase& c = GetParam();
    auto& station = ChipStationWith(
        std::string(c.nrfutil ? "[station]\r\nprogrammer=nrfutil\r\n" : "") + c.lines);
    station.SetStandIn(c.standIn);
    if (c.merged) {
        WriteMergedImage(station);
    }
    if (std::string(c.lines).find("modem=") != std::string::npos) {
        WriteModem(station);
    }
    view_.erase = c.erase;
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_StartClick);

    EXPECT_EQ(view_.verdict, "PASS") << form.MemoText();
    const std::vector<std::string> calls = CallsAfterTheChecks();
    ASSERT_EQ(calls.size(), c.steps.size()) << station.StandInCalls();
    const std::pair<const char*, std::string> files[] = {
        {"@hex", station.ImagePath()},
        {"@net", station / "Romtool.network.hex"},
        {"@app", station / "Romtool.application.hex"},
        {"@zip", station / "mfw.zip"},
        {"@num", station / "Romtool.numbered.hex"}};
    for (std::size_t i = 0; i < calls.size(); ++i) {
        std::string step = c.steps[i];
        bool whole = false;  // a step that names a file is the whole call
        for (const auto& [mark, path] : files) {
            const std::size_t at = step.find(mark);
            if (at != std::string::npos) {
                step.replace(at, 4, path);
                whole = true;
            }
        }
        if (whole) {
            EXPECT_EQ(calls[i], step);
        } else {
            EXPECT_THAT(calls[i], ::testing::StartsWith(step));
        }
    }
    const std::string para = Log().substr(Log().find("[info ]Para="));
    EXPECT_EQ(para.substr(0, para.find('\n')).find(" && ") == std::string::npos,
              c.steps.size() == 1);
    const test_support::CsvRows rows = RecordRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][IndexOf(Column::kDeviceId)], c.deviceId ? "F00DCAFE12345678" : "");
    EXPECT_EQ(rows[1][IndexOf(Column::kSerialNumber)], c.serialNumber);
    // Each step is one call, one session with the probe; the family as config.ini names it.
    EXPECT_EQ(rows[1][IndexOf(Column::kSessions)], std::to_string(c.steps.size()));
    const std::string lines = c.lines;
    const std::size_t family = lines.find("family=");
    EXPECT_EQ(
        rows[1][IndexOf(Column::kFamily)],
        family == std::string::npos
            ? ""
            : os::AsciiLower(lines.substr(family + 7, lines.find('\r', family) - family - 7)));
}

constexpr char kNrf52[] = "[chip]\r\nfamily=nrf52\r\n";
constexpr char kNrf52Recover[] = "[chip]\r\nfamily=nrf52\r\nrecover=yes\r\n";
constexpr char kNrf53Both[] =
    "[chip]\r\nfamily=NRF53\r\nrecover=yes\r\n[trace]\r\ndeviceid=yes\r\n[serial]\r\n"
    "first=100000\r\nlast=100002\r\n";
constexpr char kFactoryProtected[] = "protection=factory\n";

const std::vector<std::string> kNrfjprogBoth = {"-e --program",
                                                "--memrd 0x10000060 --n 8",
                                                "--memwr 0x10001080 --val 0x000186A0",
                                                "--memrd 0x10001080 --n 4",
                                                "--rbp ALL",
                                                "--pinreset"};
// [chip] sessions=fewest with nrfjprog: the number programmed with the image (its verify covers
// it), the DEVICEID read before it (after a recover), or after it when only its erase opens a
// chip an earlier press protected.
constexpr char kFewest[] = "[chip]\r\nsessions=fewest\r\n";
constexpr char kFewestTrace[] = "[chip]\r\nsessions=fewest\r\n[trace]\r\ndeviceid=yes\r\n";
constexpr char kFewestTraceRecover[] =
    "[chip]\r\nsessions=fewest\r\nrecover=yes\r\n[trace]\r\ndeviceid=yes\r\n";
constexpr char kFewestSerial[] =
    "[chip]\r\nsessions=fewest\r\n[serial]\r\naddress=0x10001080\r\nfirst=100000\r\nlast="
    "100002\r\n";
constexpr char kFewestSerialRecover[] =
    "[chip]\r\nsessions=fewest\r\nrecover=yes\r\n[serial]\r\naddress=0x10001080\r\nfirst=100000\r\n"
    "last=100002\r\n";
constexpr char kFewestBoth[] =
    "[chip]\r\nsessions=fewest\r\n[trace]\r\ndeviceid=yes\r\n[serial]\r\naddress=0x10001080\r\n"
    "first=100000\r\nlast=100002\r\n";
constexpr char kFewestBothRecover[] =
    "[chip]\r\nsessions=fewest\r\nrecover=yes\r\n[trace]\r\ndeviceid=yes\r\n[serial]\r\n"
    "address=0x10001080\r\nfirst=100000\r\nlast=100002\r\n";
constexpr char kReadId[] = "--memrd 0x10000060 --n 8";
constexpr char kProgramNumbered[] = "--program @num --verify --rbp ALL --pinreset";

const std::vector<std::string> kNrfutilBoth = {
    "--json device program",
    "--json device read --address 0x10000060 --bytes 8",
    "--json device write --address 0x10001080 --value 0x000186A0",
    "--json device read --address 0x10001080 --bytes 4",
    "--json device protection-set All",
    "--json device reset"};

INSTANTIATE_TEST_SUITE_P(
    Programmers, RunSteps,
    ::testing::Values(
        StepsCase{"NrfjprogAsAlways", false, "", {"-e --program"}, false, ""},
        StepsCase{"NrfjprogTrace",
                  false,
                  kTrace,
                  {kNrfjprogBoth[0], kNrfjprogBoth[1], "--rbp ALL", "--pinreset"},
                  true,
                  ""},
        StepsCase{"NrfjprogSerial",
                  false,
                  kSerial,
                  {kNrfjprogBoth[0], kNrfjprogBoth[2], kNrfjprogBoth[3], "--rbp ALL", "--pinreset"},
                  false,
                  "100000"},
        StepsCase{"NrfjprogBoth", false, kBoth, kNrfjprogBoth, true, "100000"},
        StepsCase{"FewestBothRecover",
                  false,
                  kFewestBothRecover,
                  {"--recover", kReadId, std::string("-e ") + kProgramNumbered},
                  true,
                  "100000",
                  true,
                  kFactoryProtected},
        StepsCase{"FewestBothErase",
                  false,
                  kFewestBoth,
                  {"-e --program @num --verify", kReadId, "--rbp ALL", "--pinreset"},
                  true,
                  "100000"},
        StepsCase{"FewestBothNoErase",
                  false,
                  kFewestBoth,
                  {kReadId, kProgramNumbered},
                  true,
                  "100000",
                  false},
        StepsCase{"FewestSerialErase",
                  false,
                  kFewestSerial,
                  {std::string("-e ") + kProgramNumbered},
                  false,
                  "100000"},
        StepsCase{"FewestSerialRecover",
                  false,
                  kFewestSerialRecover,
                  {std::string("--recover ") + kProgramNumbered},
                  false,
                  "100000",
                  true,
                  kFactoryProtected},
        StepsCase{"FewestSerialNoErase",
                  false,
                  kFewestSerial,
                  {kProgramNumbered},
                  false,
                  "100000",
                  false},
        StepsCase{"FewestTraceRecover",
                  false,
                  kFewestTraceRecover,
                  {"--recover", kReadId, "-e --program @hex --verify --rbp ALL --pinreset"},
                  true,
                  "",
                  true,
                  kFactoryProtected},
        StepsCase{"FewestTraceErase",
                  false,
                  kFewestTrace,
                  {"-e --program @hex --verify", kReadId, "--rbp ALL", "--pinreset"},
                  true,
                  ""},
        StepsCase{"FewestTraceNoErase",
                  false,
                  kFewestTrace,
                  {kReadId, "--program @hex --verify --rbp ALL --pinreset"},
                  true,
                  "",
                  false},
        StepsCase{"FewestPlain",
                  false,
                  kFewest,
                  {"-e --program @hex --verify --rbp ALL --pinreset"},
                  false,
                  ""},
        StepsCase{"NrfutilAsAlways",
                  true,
                  "",
                  {kNrfutilBoth[0], kNrfutilBoth[4], kNrfutilBoth[5]},
                  false,
                  ""},
        StepsCase{"NrfutilBoth", true, kBoth, kNrfutilBoth, true, "100000"},
        // [chip]: the family on every call; recover instead of erase.
        StepsCase{"NrfjprogFamily",
                  false,
                  kNrf52,
                  {"-f NRF52 -e --program @hex --verify --rbp ALL --pinreset"},
                  false,
                  ""},
        StepsCase{"NrfjprogRecoverFactoryProtected",
                  false,
                  kNrf52Recover,
                  {"-f NRF52 --recover --program @hex --verify --rbp ALL --pinreset"},
                  false,
                  "",
                  true,
                  kFactoryProtected},
        StepsCase{"NrfjprogRecoverOnlyWithErase",
                  false,
                  kNrf52Recover,
                  {"-f NRF52 --program @hex --verify --rbp ALL --pinreset"},
                  false,
                  "",
                  false},
        StepsCase{"NrfjprogRecoverWithoutFamily",
                  false,
                  "[chip]\r\nrecover=yes\r\n",
                  {"--recover --program @hex --verify --rbp ALL --pinreset"},
                  false,
                  ""},
        // nRF5340: core by core, network core first; each core recovered and protected, one
        // reset at the end. An image without the network core's part skips its program step.
        StepsCase{
            "NrfjprogNrf53Both",
            false,
            kNrf53Both,
            {"-f NRF53 --coprocessor CP_NETWORK --recover",
             "-f NRF53 --coprocessor CP_APPLICATION --recover",
             "-f NRF53 --coprocessor CP_APPLICATION -e --program @app --verify",
             "-f NRF53 --memrd 0x00FF0204 --n 8", "-f NRF53 --memwr 0x00FF8100 --val 0x000186A0",
             "-f NRF53 --memrd 0x00FF8100 --n 4", "-f NRF53 --coprocessor CP_NETWORK --rbp ALL",
             "-f NRF53 --coprocessor CP_APPLICATION --rbp ALL", "-f NRF53 --pinreset"},
            true,
            "100000",
            true,
            "family=nrf53\n"},
        StepsCase{"NrfutilRecoverFactoryProtected",
                  true,
                  kNrf52Recover,
                  {"--json device recover --serial-number 682123456 --family nrf52",
                   "--json device program --firmware @hex --serial-number 682123456 "
                   "--options chip_erase_mode=ERASE_ALL,verify=VERIFY_READ,reset="
                   "RESET_NONE --family nrf52",
                   "--json device protection-set All --serial-number 682123456 "
                   "--family nrf52",
                   "--json device reset --reset-kind RESET_PIN --serial-number "
                   "682123456 --family nrf52"},
                  false,
                  "",
                  true,
                  kFactoryProtected},
        StepsCase{"NrfutilRecoverOnlyWithErase",
                  true,
                  kNrf52Recover,
                  {"--json device program --firmware @hex --serial-number 682123456 "
                   "--options chip_erase_mode=ERASE_NONE,verify=VERIFY_READ,reset="
                   "RESET_NONE --family nrf52",
                   kNrfutilBoth[4], kNrfutilBoth[5]},
                  false,
                  "",
                  false},
        StepsCase{"NrfutilNrf54lBoth",
                  true,
                  "[chip]\r\nfamily=nrf54l\r\nrecover=yes\r\n[trace]\r\n"
                  "deviceid=yes\r\n[serial]\r\nfirst=100000\r\nlast=100002\r\n",
                  {"--json device recover", "--json device program",
                   "--json device read --address 0x00FFC304 --bytes 8 "
                   "--serial-number 682123456 --family nrf54l",
                   "--json device write --address 0x00FFD500 --value 0x000186A0 "
                   "--serial-number 682123456 --family nrf54l",
                   "--json device read --address 0x00FFD500 --bytes 4",
                   "--json device protection-set All", "--json device reset"},
                  true,
                  "100000",
                  true,
                  "family=nrf54l\nprotection=factory\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// Numbers go up by one a board; a failed run voids its number, and its row names it; the last
// number of the range is followed by 114, and nothing is programmed.
TEST_F(ChipStation, NumbersAreNeverIssuedTwiceAndRunOutWith114) {
    auto& station = ChipStationWith(kSerial);
    TRomForm& form = Shown();
    EXPECT_EQ(view_.nextSerial, "下一序列号：100000");
    form.Handle(&TRomForm::Button_StartClick);
    station.SetStandIn("verify=fail\n");
    form.Handle(&TRomForm::Button_StartClick);
    station.SetStandIn("");
    form.Handle(&TRomForm::Button_StartClick);
    EXPECT_EQ(view_.nextSerial, "下一序列号：已用完");
    const std::size_t calls = ToolCalls().size();
    form.Handle(&TRomForm::Button_StartClick);

    EXPECT_EQ(form.State().Error_Code, kSerialNumbers);
    EXPECT_THAT(form.MemoText(),
                EndsWith("ERROR:本工位的序列号（100000-100002）已用完，请在config.ini的[serial]"
                         "中给本工位新的号段。\r\n"));
    EXPECT_EQ(ToolCalls().size(), calls + 1) << "the probe query only";
    std::vector<std::string> numbers;
    for (const auto& row : RecordRows()) {
        numbers.push_back(row[IndexOf(Column::kVerdict)] + " " +
                          row[IndexOf(Column::kSerialNumber)]);
    }
    EXPECT_THAT(numbers, ::testing::ElementsAre("verdict serial_number", "PASS 100000",
                                                "FAIL 100001", "PASS 100002", "FAIL "));
    EXPECT_THAT(Log(), HasSubstr(InfoLine("SN=100001 FAIL")));
}

// A run cut off after its number was reserved (a crash, a power cut): the next start writes the
// FAIL row naming it, and the next board gets the number after it.
TEST_F(ChipStation, RunCutOffAfterItsReservationIsRecordedAtTheNextStart) {
    auto& station = ChipStationWith(kSerial);
    serial_numbers::SerialNumberStore(station.Path()).Reserve("Romtool", {100000, 100002});
    TRomForm& form = Shown();
    EXPECT_EQ(view_.nextSerial, "下一序列号：100001");
    form.Handle(&TRomForm::Button_StartClick);

    const test_support::CsvRows rows = RecordRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1][IndexOf(Column::kVerdict)], "FAIL");
    EXPECT_EQ(rows[1][IndexOf(Column::kErrorCode)], "");
    EXPECT_EQ(rows[1][IndexOf(Column::kSerialNumber)], "100000");
    EXPECT_EQ(rows[2][IndexOf(Column::kSerialNumber)], "100001");
}

// The same chip twice (the board was not changed): the verdict stands, the text area and the
// row say so. A new board is a new chip.
TEST_F(ChipStation, SameChipTwiceIsToldAndANewBoardIsNot) {
    ChipStationWith(kTrace);
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_StartClick);
    form.Handle(&TRomForm::Button_StartClick);
    EXPECT_EQ(view_.verdict, "PASS") << form.MemoText();
    EXPECT_THAT(form.MemoText(), HasSubstr("注意：这颗芯片（DEVICEID F00DCAFE12345678）今天已于"));
    ChangeBoard();
    form.Handle(&TRomForm::Button_StartClick);
    EXPECT_THAT(form.MemoText(), ::testing::Not(HasSubstr("注意：")));

    const test_support::CsvRows rows = RecordRows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1][IndexOf(Column::kSameChipAs)], "");
    EXPECT_EQ(rows[2][IndexOf(Column::kSameChipAs)], rows[1][IndexOf(Column::kTime)]);
    EXPECT_NE(rows[3][IndexOf(Column::kDeviceId)], rows[1][IndexOf(Column::kDeviceId)]);
    EXPECT_EQ(rows[3][IndexOf(Column::kSameChipAs)], "");
}

struct SettingsCase {
    const char* name;
    const char* lines;
    const char* message;

    friend void PrintTo(const SettingsCase& c, std::ostream* out) { *out << c.name; }
};

class ChipSettingsCheck : public ChipStation, public ::testing::WithParamInterface<SettingsCase> {};

// A station set in part or wrongly never programs: 114 names the key.
TEST_P(ChipSettingsCheck, NamesTheKeyAndProgramsNothing) {
    ChipStationWith(GetParam().lines);
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_StartClick);
    EXPECT_EQ(form.State().Error_Code, kSerialNumbers);
    EXPECT_THAT(form.MemoText(), EndsWith(std::string(GetParam().message) + "，不能烧写。\r\n"));
    EXPECT_TRUE(CallsAfterTheChecks().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ChipSettingsCheck,
    ::testing::Values(
        SettingsCase{"DeviceIdNotYesOrNo", "[trace]\r\ndeviceid=maybe\r\n",
                     "ERROR:config.ini的[trace]中deviceid=maybe不是yes或no"},
        SettingsCase{"DeviceIdAddressNotAWord",
                     "[trace]\r\ndeviceid=yes\r\ndeviceid_address=0x10000062\r\n",
                     "ERROR:config.ini的[trace]中deviceid_address=0x10000062不是一个32位字的地址"},
        SettingsCase{"SerialInPart", "[serial]\r\naddress=0x10001080\r\nfirst=1\r\n",
                     "ERROR:config.ini的[serial]中缺少last，序列号设置不完整"},
        SettingsCase{"FirstNotDecimal",
                     "[serial]\r\naddress=0x10001080\r\nfirst=0x10\r\nlast=20\r\n",
                     "ERROR:config.ini的[serial]中first=0x10不是小于2^32的十进制数"},
        SettingsCase{"LastBelowFirst", "[serial]\r\naddress=0x10001080\r\nfirst=20\r\nlast=19\r\n",
                     "ERROR:config.ini的[serial]中last=19不是不小于first、小于2^32的十进制数"},
        SettingsCase{
            "LastPastTheWord",
            "[serial]\r\naddress=0x10001080\r\nfirst=1\r\nlast.Romtool=4294967296\r\n",
            "ERROR:config.ini的[serial]中last.Romtool=4294967296不是不小于first、小于2^32的"
            "十进制数"},
        SettingsCase{"PoolAndRange", "[serial]\r\naddress=0x10001080\r\npool=b\r\nfirst=1\r\n",
                     "ERROR:config.ini的[serial]中pool与first、last不能同时使用"},
        SettingsCase{"PoolWithoutAddress", "[serial]\r\npool=b\r\n",
                     "ERROR:config.ini的[serial]中缺少address，序列号设置不完整"},
        SettingsCase{"PoolWithoutDatabase", "[serial]\r\naddress=0x10001080\r\npool=b\r\n",
                     "ERROR:config.ini的[serial]中有pool，[database]中却没有connection"},
        SettingsCase{"BlockNotANumber",
                     "[database]\r\nconnection=DSN=romtool-none\r\n[serial]\r\naddress=0x10001080"
                     "\r\npool=b\r\nblock=0\r\n",
                     "ERROR:config.ini的[serial]中block=0不是1到1000000之间的十进制数"},
        SettingsCase{"FamilyNotKnown", "[chip]\r\nfamily=nrf52840\r\n",
                     "ERROR:config.ini的[chip]中family=nrf52840不是nrf51、nrf52、nrf53、nrf54l、"
                     "nrf91之一"},
        SettingsCase{"RecoverNotYesOrNo", "[chip]\r\nrecover=always\r\n",
                     "ERROR:config.ini的[chip]中recover=always不是yes或no"},
        SettingsCase{"SessionsNotEachOrFewest", "[chip]\r\nsessions=one\r\n",
                     "ERROR:config.ini的[chip]中sessions=one不是each或fewest"},
        SettingsCase{"Nrf54lWithNrfjprog", "[chip]\r\nfamily=nrf54l\r\n",
                     "ERROR:config.ini的[chip]中family=nrf54l的芯片不能用nrfjprog烧写（nrfjprog不能"
                     "正确复位这类芯片），请在[station]中设置programmer=nrfutil"},
        SettingsCase{"DeviceIdOutsideTheFamily",
                     "[chip]\r\nfamily=nrf53\r\n[trace]\r\ndeviceid=yes\r\n"
                     "deviceid_address=0x10000060\r\n",
                     "ERROR:config.ini的[trace]中deviceid_address=0x10000060不在nrf53芯片的FICR（"
                     "0x00FF0000-0x00FF0FFF）或UICR（0x00FF8000-0x00FF87FF）中"},
        SettingsCase{"DeviceIdAcrossTheFicrsEnd",
                     "[chip]\r\nfamily=nrf52\r\n[trace]\r\ndeviceid=yes\r\n"
                     "deviceid_address=0x10000FFC\r\n",
                     "ERROR:config.ini的[trace]中deviceid_address=0x10000FFC不在nrf52芯片的FICR（"
                     "0x10000000-0x10000FFF）或UICR（0x10001000-0x10001FFF）中"},
        SettingsCase{"SerialOutsideTheFamilysUicr",
                     "[chip]\r\nfamily=nrf54l\r\n[station]\r\nprogrammer=nrfutil\r\n"
                     "[serial]\r\naddress=0x10001080\r\nfirst=1\r\nlast=2\r\n",
                     "ERROR:config.ini的[serial]中address=0x10001080不在nrf54l芯片的UICR（"
                     "0x00FFD000-0x00FFD9FF）中"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
