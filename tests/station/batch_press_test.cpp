// [chip] sessions=fewest with nrfutil: the whole press as one batch-execute call, its batch made
// by the stand-in itself (--append-batch), each press's copy with its own number.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "checksum_of.h"
#include "csv_reader.h"
#include "platform/files.h"
#include "platform/text.h"
#include "record/record_columns.h"
#include "run_steps.h"
#include "station/check/error_codes.h"
#include "station/run/operator_texts.h"
#include "station/run/press_batch.h"
#include "station_fixture.h"

using namespace station;

using record::Column;
using record::IndexOf;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

constexpr char kFewest[] = "[station]\r\nprogrammer=nrfutil\r\n[chip]\r\nsessions=fewest\r\n";
constexpr char kTrace[] = "[trace]\r\ndeviceid=yes\r\n";
constexpr char kSerial[] = "[serial]\r\nfirst=100000\r\nlast=100002\r\n";
constexpr char kSerialAt[] = "[serial]\r\naddress=0x10001080\r\nfirst=100000\r\nlast=100002\r\n";

struct BatchCase {
    const char* name;
    const char* lines;  // after [chip] sessions=fewest
    bool erase;
    const char* standIn;
    bool merged;
    // Each operation of the batch, in order: the nrfutil command ("recover") and, after '|',
    // texts its generating call holds.
    std::vector<std::string> operations;
    const char* serialNumber;
    bool deviceId;

    friend void PrintTo(const BatchCase& c, std::ostream* out) { *out << c.name; }
};

class BatchPress : public chip_steps::ChipStation, public ::testing::WithParamInterface<BatchCase> {
protected:
    std::string BatchCopy() const { return *station_ / "Romtool.press.batch.json"; }
    std::string BatchExecute() const {
        return "--json device batch-execute --batch-file " + BatchCopy() +
               " --serial-number 682123456";
    }
    // The calls that made the batch, and the others.
    std::vector<std::string> Generating() const {
        std::vector<std::string> calls;
        for (const std::string& call : CallsAfterTheChecks()) {
            if (call.find("--append-batch") != std::string::npos) {
                calls.push_back(call);
            }
        }
        return calls;
    }
};

TEST_P(BatchPress, OneSessionForTheWholePress) {
    const BatchCase& c = GetParam();
    auto& station = ChipStationWith(std::string(kFewest) + c.lines);
    station.SetStandIn(c.standIn);
    if (c.merged) {
        WriteMergedImage(station);
    }
    view_.erase = c.erase;
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_StartClick);

    EXPECT_EQ(view_.verdict, "PASS") << form.MemoText();
    const std::vector<std::string> generating = Generating();
    ASSERT_EQ(generating.size(), c.operations.size()) << station.StandInCalls();
    for (std::size_t i = 0; i < generating.size(); ++i) {
        const std::string& expected = c.operations[i];
        const std::size_t bar = expected.find('|');
        EXPECT_THAT(generating[i],
                    ::testing::StartsWith("--json device " + expected.substr(0, bar) + " "));
        if (bar != std::string::npos) {
            EXPECT_THAT(generating[i], HasSubstr(expected.substr(bar + 1))) << i;
        }
        EXPECT_THAT(generating[i], Not(HasSubstr("--serial-number"))) << i;
    }
    const std::vector<std::string> calls = CallsAfterTheChecks();
    ASSERT_EQ(calls.size(), generating.size() + 1);
    EXPECT_EQ(calls.back(), BatchExecute());
    EXPECT_FALSE(os::FileExists(BatchCopy()));
    const std::string para = Log().substr(Log().find("[info ]Para="));
    EXPECT_THAT(para.substr(0, para.find('\n')), HasSubstr("device batch-execute"));
    EXPECT_THAT(para.substr(0, para.find('\n')), Not(HasSubstr(" && ")));
    const test_support::CsvRows rows = RecordRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][IndexOf(Column::kSessions)], "1");
    EXPECT_EQ(rows[1][IndexOf(Column::kSerialNumber)], c.serialNumber);
    EXPECT_EQ(rows[1][IndexOf(Column::kDeviceId)], c.deviceId ? "F00DCAFE12345678" : "");
}

const std::string kProgramAll = "program|chip_erase_mode=ERASE_ALL,verify=VERIFY_READ";
const std::string kProgramNone = "program|chip_erase_mode=ERASE_NONE,verify=VERIFY_READ";

INSTANTIATE_TEST_SUITE_P(
    Families, BatchPress,
    ::testing::Values(
        BatchCase{"Plain",
                  "",
                  true,
                  "",
                  false,
                  {kProgramAll, "protection-set All", "reset|RESET_PIN"},
                  "",
                  false},
        BatchCase{"PlainWithoutErase",
                  "",
                  false,
                  "",
                  false,
                  {kProgramNone, "protection-set All", "reset"},
                  "",
                  false},
        BatchCase{"Nrf52RecoverTraceSerial",
                  "family=nrf52\r\nrecover=yes\r\n[trace]\r\ndeviceid=yes\r\n[serial]\r\n"
                  "first=100000\r\nlast=100002\r\n",
                  true,
                  "protection=factory\n",
                  false,
                  {"recover|--family nrf52", kProgramAll, "read|--address 0x10000060 --bytes 8",
                   "write|--address 0x10001080 --value 0xA5A5A5A5",
                   "read|--address 0x10001080 --bytes 4", "protection-set All", "reset"},
                  "100000",
                  true},
        BatchCase{"Nrf52RecoverWithoutEraseTrace",
                  "family=nrf52\r\nrecover=yes\r\n[trace]\r\ndeviceid=yes\r\n",
                  false,
                  "",
                  false,
                  {kProgramNone, "read|--address 0x10000060", "protection-set All", "reset"},
                  "",
                  true},
        BatchCase{
            "Nrf53TwoCoresRecoverSerial",
            "family=nrf53\r\nrecover=yes\r\n[serial]\r\nfirst=100000\r\nlast=100002\r\n",
            true,
            "family=nrf53\n",
            true,
            {"recover|--core Network", "recover|--core Application", "program|Romtool.network.hex",
             "program|Romtool.application.hex", "write|--address 0x00FF8100",
             "read|--address 0x00FF8100", "protection-set All|--core Network",
             "protection-set All|--core Application", "reset"},
            "100000",
            false},
        BatchCase{"Nrf53TwoCoresTraceWithoutErase",
                  "family=nrf53\r\n[trace]\r\ndeviceid=yes\r\n",
                  false,
                  "family=nrf53\n",
                  true,
                  {"program|Romtool.network.hex", "program|Romtool.application.hex",
                   "read|--address 0x00FF0204", "protection-set All|--core Network",
                   "protection-set All|--core Application", "reset"},
                  "",
                  true},
        BatchCase{"Nrf54lRecoverTraceSerial",
                  "family=nrf54l\r\nrecover=yes\r\n[trace]\r\ndeviceid=yes\r\n[serial]\r\n"
                  "first=100000\r\nlast=100002\r\n",
                  true,
                  "family=nrf54l\n",
                  false,
                  {"recover|--family nrf54l", kProgramAll, "read|--address 0x00FFC304",
                   "write|--value 0xA5A5A5A5", "read", "protection-set All", "reset"},
                  "100000",
                  true},
        BatchCase{"Nrf54lSerialWithoutErase",
                  "family=nrf54l\r\n[serial]\r\nfirst=100000\r\nlast=100002\r\n",
                  false,
                  "family=nrf54l\n",
                  false,
                  {kProgramNone, "write", "read", "protection-set All", "reset"},
                  "100000",
                  false}),
    [](const auto& info) { return std::string(info.param.name); });

class BatchStation : public BatchPress {};

// The batch is made once: the next board's press is the one call, with its own number.
TEST_F(BatchStation, NextPressReusesTheBatchWithTheNextNumber) {
    auto& station = ChipStationWith(std::string(kFewest) + "family=nrf54l\r\n" + kTrace + kSerial);
    station.SetStandIn("family=nrf54l\n");
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_StartClick);
    ASSERT_EQ(view_.verdict, "PASS") << form.MemoText();
    const std::size_t first = CallsAfterTheChecks().size();
    ChangeBoard();
    form.Handle(&TRomForm::Button_StartClick);

    EXPECT_EQ(view_.verdict, "PASS") << form.MemoText();
    const std::vector<std::string> calls = CallsAfterTheChecks();
    ASSERT_EQ(calls.size(), first + 2);  // the board change and the batch
    EXPECT_EQ(calls.back(), BatchExecute());
    const test_support::CsvRows rows = RecordRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2][IndexOf(Column::kSerialNumber)], "100001");
    EXPECT_EQ(rows[2][IndexOf(Column::kVerdict)], "PASS");
}

// Another nrfutil installed since the batch was made: it is made again, once, and run.
TEST_F(BatchStation, BatchOfAnotherVersionIsMadeAgain) {
    auto& station = ChipStationWith(std::string(kFewest) + kSerialAt);
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_StartClick);
    ASSERT_EQ(view_.verdict, "PASS") << form.MemoText();
    const std::size_t made = Generating().size();
    station.SetStandIn("device_version=9.9.9\n");
    ChangeBoard();
    form.Handle(&TRomForm::Button_StartClick);

    EXPECT_EQ(view_.verdict, "PASS") << form.MemoText();
    EXPECT_EQ(Generating().size(), 2 * made);
    EXPECT_EQ(CallsAfterTheChecks().back(), BatchExecute());
    EXPECT_THAT(Log(), HasSubstr(os::ToAnsi("重新生成一次").bytes()));  // in the code page
    const test_support::CsvRows rows = RecordRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2][IndexOf(Column::kSerialNumber)], "100001");
}

// The third operation (the write of the number) fails: FAIL, the number voided, the operation
// named for the operator and in the log; nothing runs after it.
TEST_F(BatchStation, FailingOperationIsNamedAndItsNumberVoided) {
    auto& station = ChipStationWith(std::string(kFewest) + kTrace + kSerialAt);
    station.SetStandIn("batch_fail=3\n");
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_StartClick);

    EXPECT_EQ(view_.verdict, "FAIL");
    EXPECT_EQ(form.State().Error_Code, kProgrammingFailed);
    const std::string named = "ERROR:批处理的第3个操作（写序列号）失败。";
    EXPECT_THAT(form.MemoText(), HasSubstr(named));
    EXPECT_THAT(Log(), HasSubstr(os::ToAnsi(named).bytes()));
    EXPECT_FALSE(os::FileExists(BatchCopy()));
    const test_support::CsvRows rows = RecordRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][IndexOf(Column::kVerdict)], "FAIL");
    EXPECT_EQ(rows[1][IndexOf(Column::kSerialNumber)], "100000");
    EXPECT_EQ(rows[1][IndexOf(Column::kSessions)], "1");
}

// A protected chip without recover: the operation fails with code 24, and the operator reads
// today's protected-chip line.
TEST_F(BatchStation, ProtectedChipWithoutRecoverSaysSo) {
    auto& station = ChipStationWith(std::string(kFewest) + "family=nrf52\r\n");
    station.SetStandIn("protection=factory\n");
    view_.erase = true;
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_StartClick);

    EXPECT_EQ(view_.verdict, "FAIL");
    EXPECT_THAT(form.MemoText(), HasSubstr(ProtectedChipLine(true, false)));
    EXPECT_THAT(form.MemoText(), HasSubstr("第1个操作（烧写）失败"));
}

// The placeholder's digits inside the image's path are not the number's place: the copy keeps
// the path and carries the number where the write takes it.
TEST_F(BatchStation, PlaceholderDigitsInThePathStayAsTheyAre) {
    auto& station = ChipStationWith(std::string(kFewest) + kSerialAt);
    const std::string image = station / "fw2779096485v2.hex";
    test_support::StationFolder::WriteImage(image, 1024, 7);
    station.Write("fw2779096485v2.crc",
                  test_support::ChecksumOf(station.Read("fw2779096485v2.hex")));
    view_.imageAnswers.push_back(image);
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_SelectClick);
    form.Handle(&TRomForm::Button_StartClick);

    EXPECT_EQ(view_.verdict, "PASS") << form.MemoText();
    EXPECT_EQ(RecordRows().back()[IndexOf(Column::kSerialNumber)], "100000");
}

struct SpellingCase {
    const char* text;
    const char* spelling;  // "" for none
};

// The placeholder is taken only where it stands alone, exactly once, in one spelling.
TEST(PlaceholderSpelling, ExactlyOnceInOneSpelling) {
    const SpellingCase cases[] = {
        {R"({"value":2779096485})", "2779096485"},
        {R"({"value":"0xA5A5A5A5"})", "0xA5A5A5A5"},
        {R"({"value":"0xa5a5a5a5"})", "0xa5a5a5a5"},
        {R"({"value":2779096485,"file":"2779096485.hex"})", ""},
        // The same digits inside a path come first: not the value.
        {R"({"file":"a2779096485.hex","value":2779096485})", "2779096485"},
        {R"({"value":2779096485,"x":"0xA5A5A5A5"})", ""},
        {R"({"value":27790964851})", ""},
        {R"({"value":1})", ""}};
    for (const SpellingCase& c : cases) {
        const std::optional<PlaceholderAt> found = PlaceholderSpelling(c.text, 0xA5A5A5A5);
        EXPECT_EQ(found ? found->spelling : "", c.spelling) << c.text;
        if (found) {
            EXPECT_EQ(found->at, std::string_view(c.text).rfind(c.spelling)) << c.text;
        }
    }
    EXPECT_EQ(SpelledLike("0xa5a5a5a5", 100000), "0x000186a0");
    EXPECT_EQ(SpelledLike("0xA5A5A5A5", 100000), "0x000186A0");
    EXPECT_EQ(SpelledLike("2779096485", 100000), "100000");
}

}  // namespace
