// The chips whose image is more than one file's: a merged nRF5340 image programmed core by core
// into each core's own flash, and the nRF91 modem's firmware guarded by its own checksum file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checksum_of.h"
#include "hex_records.h"
#include "run_steps.h"
#include "station/check/error_codes.h"
#include "station_fixture.h"

using test_support::HexBase;
using test_support::HexRecord;
using ::testing::EndsWith;
using ::testing::HasSubstr;

namespace {

const std::vector<std::uint8_t> kAppBytes = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
const std::vector<std::uint8_t> kNetBytes = {0x99, 0xAA, 0xBB, 0xCC};

class TwoCoreStation : public StationTest {
protected:
    test_support::StationFolder& StationWith(const std::string& config, const std::string& image) {
        auto& station = Station();
        station.Write("config.ini", station.Read("config.ini") + config);
        station.Write("merge.hex", image);
        station.Write("merge.crc", test_support::ChecksumOf(image));
        return station;
    }
};

std::string Merged() {
    return HexRecord(0, 0x0100, kAppBytes) + "\n" + HexBase(0x0100) + "\n" +
           HexRecord(0, 0x0040, kNetBytes) + "\n" + test_support::kHexEnd + "\n";
}

// Programs each core with its part, with both programmers; the parts' files are gone afterwards
// and the day log names each part before the run.
TEST_F(TwoCoreStation, AMergedImageLandsInEachCoresOwnFlash) {
    for (const char* programmer : {"nrfjprog", "nrfutil"}) {
        SCOPED_TRACE(programmer);
        auto& station = StationWith(
            std::string("[station]\r\nprogrammer=") + programmer + "\r\n[chip]\r\nfamily=nrf53\r\n",
            Merged());
        station.SetStandIn("family=nrf53\n");
        TRomForm& form = Shown();
        form.Handle(&TRomForm::Button_StartClick);

        EXPECT_EQ(view_.verdict, "PASS") << form.MemoText();
        const std::string app = station.Read("bin/flash.bin");
        const std::string net = station.Read("bin/flash.net.bin");
        ASSERT_EQ(app.size(), 1024u * 1024u);
        ASSERT_EQ(net.size(), 256u * 1024u);
        EXPECT_EQ(app.substr(0x100, kAppBytes.size()),
                  std::string(kAppBytes.begin(), kAppBytes.end()));
        EXPECT_EQ(net.substr(0x40, kNetBytes.size()),
                  std::string(kNetBytes.begin(), kNetBytes.end()));
        EXPECT_EQ(app.find_first_not_of('\xFF', 0x108), std::string::npos) << "nothing else";
        EXPECT_TRUE(station.Exists("bin/flash.protected"));
        EXPECT_TRUE(station.Exists("bin/flash.net.protected"));
        EXPECT_FALSE(station.Exists("Romtool.network.hex"));
        EXPECT_FALSE(station.Exists("Romtool.application.hex"));
        EXPECT_THAT(Log(),
                    HasSubstr(InfoLine("网络核（CP_NETWORK）：0x01000040-0x01000043，4字节")));
        EXPECT_THAT(Log(),
                    HasSubstr(InfoLine("应用核（CP_APPLICATION）：0x00000100-0x00000107，8字节")));
    }
}

// 写入校验 writes the modem's checksum file beside the image's (which stays as it is); the press
// then programs the modem's package before the image.
TEST_F(TwoCoreStation, TheModemGetsItsChecksumFileAndIsProgrammedFirst) {
    auto& station = StationWith("[chip]\r\nfamily=nrf91\r\nmodem=mfw.zip\r\n",
                                HexRecord(0, 0, kAppBytes) + "\n" + test_support::kHexEnd + "\n");
    station.SetStandIn("family=nrf91\n");
    station.Write("mfw.zip", "PK modem");
    const std::string imageChecksum = station.Read("merge.crc");
    TRomForm& form = Shown();
    ASSERT_EQ(form.State().Error_Code, kChecksumFileMissing);
    ASSERT_TRUE(view_.checksumEnabled);
    form.Handle(&TRomForm::Button_CRCClick);

    EXPECT_EQ(station.Read("mfw.zip.crc"), test_support::ChecksumOf("PK modem"));
    EXPECT_EQ(station.Read("merge.crc"), imageChecksum);
    EXPECT_EQ(view_.verdict, "Ready") << form.MemoText();
    form.Handle(&TRomForm::Button_StartClick);
    EXPECT_EQ(view_.verdict, "PASS") << form.MemoText();
    EXPECT_THAT(station.Read("bin/flash.modem"), ::testing::StartsWith("mfw.zip 8 "));
    EXPECT_THAT(Log(), HasSubstr(InfoLine("烧写调制解调器固件：退出码=0")));
}

struct RefusalCase {
    const char* name;
    std::string config;
    std::string image;
    bool modemFile;
    bool modemChecksum;
    int code;
    std::string message;  // after the station folder's path, where it names a file
};

class CheckRefuses : public TwoCoreStation, public ::testing::WithParamInterface<RefusalCase> {};

// Nothing reaches the programmer: the probe query is the only call.
TEST_P(CheckRefuses, BeforeAnythingIsProgrammed) {
    const RefusalCase& c = GetParam();
    auto& station = StationWith(c.config, c.image.empty() ? Merged() : c.image);
    station.SetStandIn("family=nrf91\n");
    if (c.modemFile) {
        station.Write("mfw.zip", "PK modem");
    }
    if (c.modemChecksum) {
        station.Write("mfw.zip.crc", test_support::ChecksumOf("PK other modem"));
    }
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_StartClick);

    EXPECT_EQ(form.State().Error_Code, c.code);
    std::string message = c.message;  // "@" stands for the station folder
    for (std::size_t at = message.find('@'); at != std::string::npos; at = message.find('@')) {
        message.replace(at, 1, station.Path());
    }
    if (c.message.front() == '@') {
        message = "ERROR:" + message;
    }
    EXPECT_THAT(form.MemoText(), EndsWith(message + "\r\n"));
    EXPECT_THAT(CallsAfterTheChecks(), ::testing::IsEmpty());
}

constexpr char kNrfutil53[] = "[station]\r\nprogrammer=nrfutil\r\n[chip]\r\nfamily=nrf53\r\n";

std::string Joined() {
    return HexRecord(0, 0x0100, kAppBytes) + "\r\n" + test_support::kHexEnd + "\r\n" +
           HexBase(0x0100) + "\r\n" + HexRecord(0, 0x0040, kNetBytes) + "\r\n" +
           test_support::kHexEnd + "\r\n";
}

constexpr char kModem[] = "[chip]\r\nfamily=nrf91\r\nmodem=mfw.zip\r\n";

INSTANTIATE_TEST_SUITE_P(
    Files, CheckRefuses,
    ::testing::Values(
        RefusalCase{"ModemMissing", kModem, "", false, false, kImageMissing,
                    "@mfw.zip文件不存在。"},
        RefusalCase{"ModemWithoutChecksum", kModem, "", true, false, kChecksumFileMissing,
                    "@mfw.zip的crc文件不存在，请先生成校验文件。"},
        RefusalCase{"ModemOfAnotherVersion", kModem, "", true, true, kChecksumMismatch,
                    "@mfw.zip文件CRC校验不通过，请确定@mfw.zip文件版本。"},
        RefusalCase{"ModemOfAnotherFamily", "[chip]\r\nfamily=nrf52\r\nmodem=mfw.zip\r\n", "", true,
                    false, kSerialNumbers,
                    "ERROR:config.ini的[chip]中modem=mfw.zip只能与family=nrf91一起使用（调制解调器"
                    "固件只属于nRF91），不能烧写。"},
        RefusalCase{
            "RecordOutsideBothCores", "[chip]\r\nfamily=nrf53\r\n",
            HexBase(0x2000) + "\n" + HexRecord(0, 0x0010, {1, 2}) + "\n" + test_support::kHexEnd +
                "\n",
            false, false, kImageRefused,
            "ERROR:hex文件第2行：地址0x20000010处有数据，不属于芯片的任何一个核，不能烧写。"},
        // Nothing to program would otherwise end in a PASS with each core only protected.
        RefusalCase{"NoDataForAnyCore", "[chip]\r\nfamily=nrf53\r\n",
                    std::string(test_support::kHexEnd) + "\n", false, false, kImageRefused,
                    "ERROR:hex文件中没有数据，不能烧写。"},
        // "copy /b app.hex + net.hex": the network core's records come after an end-of-file
        // record, with either programmer; nothing is split and no core goes empty.
        RefusalCase{"JoinedImagesWithNrfjprog", "[chip]\r\nfamily=nrf53\r\n", Joined(), false,
                    false, kImageRefused, "ERROR:hex文件第3行：结束记录之后还有数据，不能烧写。"},
        RefusalCase{"JoinedImagesWithNrfutil", kNrfutil53, Joined(), false, false, kImageRefused,
                    "ERROR:hex文件第3行：结束记录之后还有数据，不能烧写。"},
        // A file cut short: no end-of-file record is made up for it.
        RefusalCase{
            "CutShort", kNrfutil53, Merged().substr(0, Merged().rfind(':')), false, false,
            kImageRefused,
            "ERROR:hex文件第3行：文件在此结束，没有结束记录（:00000001FF），文件可能不完整，"
            "不能烧写。"}),
    [](const auto& info) { return std::string(info.param.name); });

using chip_steps::RunSteps;
using chip_steps::StepsCase;

constexpr char kNrf53[] = "[chip]\r\nfamily=nrf53\r\n";
constexpr char kNrf53Recover[] = "[chip]\r\nfamily=nrf53\r\nrecover=yes\r\n";
constexpr char kNrf91Modem[] = "[chip]\r\nfamily=nrf91\r\nmodem=mfw.zip\r\n";

// The table of chip_identity_test.cpp for the chips with more than one part: core by core,
// network core first, each core recovered and protected, one reset at the end; the modem first.
INSTANTIATE_TEST_SUITE_P(
    CoresAndModem, RunSteps,
    ::testing::Values(
        StepsCase{"NrfjprogNrf53Merged",
                  false,
                  kNrf53,
                  {"-f NRF53 --coprocessor CP_NETWORK -e --program @net --verify",
                   "-f NRF53 --coprocessor CP_APPLICATION -e --program @app --verify",
                   "-f NRF53 --coprocessor CP_NETWORK --rbp ALL",
                   "-f NRF53 --coprocessor CP_APPLICATION --rbp ALL", "-f NRF53 --pinreset"},
                  false,
                  "",
                  true,
                  "family=nrf53\n",
                  true},
        StepsCase{"NrfjprogNrf53MergedWithoutErase",
                  false,
                  kNrf53Recover,
                  {"-f NRF53 --coprocessor CP_NETWORK --program @net --verify",
                   "-f NRF53 --coprocessor CP_APPLICATION --program @app --verify",
                   "-f NRF53 --coprocessor CP_NETWORK --rbp ALL",
                   "-f NRF53 --coprocessor CP_APPLICATION --rbp ALL", "-f NRF53 --pinreset"},
                  false,
                  "",
                  false,
                  "family=nrf53\n",
                  true},
        StepsCase{"NrfutilNrf53MergedRecover",
                  true,
                  kNrf53Recover,
                  {"--json device recover --serial-number 682123456 --core Network --family nrf53",
                   "--json device recover --serial-number 682123456 --core Application "
                   "--family nrf53",
                   "--json device program --firmware @net --serial-number 682123456 --options "
                   "chip_erase_mode=ERASE_ALL,verify=VERIFY_READ,reset=RESET_NONE --core Network "
                   "--family nrf53",
                   "--json device program --firmware @app --serial-number 682123456 --options "
                   "chip_erase_mode=ERASE_ALL,verify=VERIFY_READ,reset=RESET_NONE --core "
                   "Application --family nrf53",
                   "--json device protection-set All --serial-number 682123456 --core Network "
                   "--family nrf53",
                   "--json device protection-set All --serial-number 682123456 --core "
                   "Application --family nrf53",
                   "--json device reset --reset-kind RESET_PIN --serial-number 682123456 "
                   "--family nrf53"},
                  false,
                  "",
                  true,
                  "family=nrf53\nprotection=factory\n",
                  true},
        // nRF91: the modem's firmware in a step of its own, before the image.
        StepsCase{"NrfjprogNrf91Modem",
                  false,
                  kNrf91Modem,
                  {"-f NRF91 --program @zip --verify",
                   "-f NRF91 -e --program @hex --verify --rbp ALL --pinreset"},
                  false,
                  "",
                  true,
                  "family=nrf91\n"},
        // A factory-protected nRF91 takes no modem firmware: recovered before it.
        StepsCase{"NrfjprogNrf91ModemRecoverFactoryProtected",
                  false,
                  "[chip]\r\nfamily=nrf91\r\nmodem=mfw.zip\r\nrecover=yes\r\n",
                  {"-f NRF91 --recover", "-f NRF91 --program @zip --verify",
                   "-f NRF91 --recover --program @hex --verify --rbp ALL --pinreset"},
                  false,
                  "",
                  true,
                  "family=nrf91\nprotection=factory\n"},
        StepsCase{"NrfutilNrf91ModemRecover",
                  true,
                  "[chip]\r\nfamily=nrf91\r\nmodem=mfw.zip\r\nrecover=yes\r\n",
                  {"--json device recover",
                   "--json device program --firmware @zip --serial-number 682123456 --family nrf91",
                   "--json device program --firmware @hex --serial-number 682123456 --options "
                   "chip_erase_mode=ERASE_ALL,verify=VERIFY_READ,reset=RESET_NONE --family nrf91",
                   "--json device protection-set All", "--json device reset"},
                  false,
                  "",
                  true,
                  "family=nrf91\nprotection=factory\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
