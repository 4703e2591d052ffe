// The steps that read a chip's ID and write its serial number: their exact command lines for
// both programmers, and reading the words back from what the programmers print.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "record/production_record.h"
#include "tool/memory_words.h"
#include "tool/nrfutil_programmer.h"
#include "tool/programmer.h"

namespace {

using Words = std::optional<std::vector<std::uint32_t>>;

TEST(ChipCommandLines, ExactTextForBothProgrammers) {
    const std::string prog = "/st/bin/tool";
    const std::string tool = os::QuoteArgument(prog);
    const struct {
        std::string built, expected;
    } cases[] = {
        {tool::MemoryReadCommand(prog, 0x10000060, 8, "682123456"),
         tool + " --snr 682123456 --memrd 0x10000060 --n 8"},
        {tool::MemoryReadCommand(prog, 0xFF0204, 8, ""), tool + " --memrd 0x00FF0204 --n 8"},
        {tool::MemoryWriteCommand(prog, 0x10001080, 100001, "682123456"),
         tool + " --snr 682123456 --memwr 0x10001080 --val 0x000186A1"},
        {tool::ProtectCommand(prog, "682123456"), tool + " --snr 682123456 --rbp ALL"},
        {tool::PinResetCommand(prog, ""), tool + " --pinreset"},
        {tool::ProgrammingCommand(prog, "m.hex", true, tool::kVerifyOnlyPara, "7"),
         tool + " --snr 7 -e --program " + os::QuoteArgument("m.hex") + "  --verify  "},
        {tool::NrfutilReadCommand(prog, 0x10000060, 8, "682123456"),
         tool + " --json device read --address 0x10000060 --bytes 8 --serial-number 682123456"},
        {tool::NrfutilWriteCommand(prog, 0x10001080, 0xFFFFFFFE, "682123456"),
         tool + " --json device write --address 0x10001080 --value 0xFFFFFFFE "
                "--serial-number 682123456"},
        {tool::NrfutilProtectCommand(prog, "682123456"),
         tool + " --json device protection-set All --serial-number 682123456"},
        {tool::NrfutilPinResetCommand(prog, "682123456"),
         tool + " --json device reset --reset-kind RESET_PIN --serial-number 682123456"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.built, c.expected);
    }
    const auto run = tool::NrfutilProgrammingCommands(prog, "m.hex", "7", false);
    ASSERT_EQ(run.size(), 3u);
    EXPECT_EQ(run[1], tool::NrfutilProtectCommand(prog, "7"));
    EXPECT_EQ(run[2], tool::NrfutilPinResetCommand(prog, "7"));
}

TEST(StepSucceeded, NeedsExitCodeZeroAndNoError) {
    EXPECT_TRUE(tool::StepSucceeded("0x10000060: 12345678\n", 0));
    EXPECT_FALSE(tool::StepSucceeded("0x10000060: 12345678\n", 16));
    EXPECT_FALSE(tool::StepSucceeded("ERROR: The area to write is not erased.\n", 0));
}

// A successful nrfutil task_end carrying memory at the given place of the message.
std::string ReadTaskEnd(const std::string& memoryData, bool nested = true,
                        const char* result = "success") {
    const std::string data = R"("memoryData":)" + memoryData;
    return std::string(R"({"type":"task_end","data":{"task":{"id":"1","name":"read"},"result":")") +
           result + R"(","error":null,)" + (nested ? R"("data":{)" + data + "}" : data) + "}}\n";
}

TEST(ReadMemoryWords, TakesTheDocumentedFormsAndNothingElse) {
    const std::vector<std::uint32_t> id = {0x121DCF55, 0x7C1D8BD6};
    const struct {
        const char* what;
        std::string output;
        std::uint32_t address;
        Words expected;
    } cases[] = {
        {"nrfjprog 10.x", "0x10000060: 121DCF55 7C1D8BD6                     |U......||\n",
         0x10000060, id},
        {"bytes (--w 8), lower case, CR LF",
         "Parsing parameters.\r\n0x10000060: 55 cf 1d 12 d6 8b 1d 7c   |U......||\r\n", 0x10000060,
         id},
        {"16-bit units", "0x10000060: CF55 121D 8BD6 7C1D   |U......||", 0x10000060, id},
        {"inside a longer read",
         "0x10000050: 0 1 2 3\n0x10000058: 00000000 00000000 121DCF55\n"
         "0x10000064: 7C1D8BD6 FFFFFFFF |....|\n",
         0x10000060, id},
        {"address without 0x, leading blanks", "  10000060: 121DCF55 7C1D8BD6", 0x10000060, id},
        {"nrfutil text, after its progress line",
         "[00:00:00] ###### 100% [682123456] Read\n0x00FF0204: 596212AE A23EFBCB |..b....>|\n",
         0x00FF0204, std::vector<std::uint32_t>{0x596212AE, 0xA23EFBCB}},
        {"nrfutil JSON",
         ReadTaskEnd(R"([{"startAddress":268435552,"values":[85,207,29,18,214,139,29,124]}])"),
         0x10000060, id},
        {"nrfutil JSON, address as text, data one level up",
         ReadTaskEnd(R"([{"startAddress":"0x10000060","values":[85,207,29,18,214,139,29,124]}])",
                     false),
         0x10000060, id},
        {"older layout without a colon", "1000005c  ffff001d 121DCF55  7C1D8BD6  |....|\n",
         0x10000060, std::nullopt},
        {"a word missing", "0x10000060: 121DCF55                    |U...|", 0x10000060,
         std::nullopt},
        {"another address", "0x10000064: 121DCF55 7C1D8BD6", 0x10000060, std::nullopt},
        {"one byte given twice, differently", "0x10000060: 121DCF55 7C1D8BD6\n0x10000064: 00000000",
         0x10000060, std::nullopt},
        {"groups of mixed sizes", "0x10000060: 121DCF55 7C1D 8BD6", 0x10000060, std::nullopt},
        {"groups of odd size", "0x10000060: 121DCF5 7C1D8BD6", 0x10000060, std::nullopt},
        {"an address too long", "0x110000060: 121DCF55 7C1D8BD6", 0x10000060, std::nullopt},
        {"an error text",
         "ERROR: The operation attempted is unavailable due to readback "
         "protection in\nERROR: your device.",
         0x10000060, std::nullopt},
        {"a failed task",
         ReadTaskEnd(R"([{"startAddress":268435552,"values":[85,207,29,18,214,139,29,124]}])", true,
                     "fail"),
         0x10000060, std::nullopt},
        {"values that are not bytes",
         ReadTaskEnd(R"([{"startAddress":268435552,"values":[303812437,2082310102]}])"), 0x10000060,
         std::nullopt},
        {"past the address space", "0xFFFFFFFC: 121DCF55 7C1D8BD6", 0xFFFFFFFC, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tool::ReadMemoryWords(c.output, c.address, 2), c.expected) << c.what;
    }
    EXPECT_EQ(tool::ReadMemoryWords(cases[0].output, 0x10000060, 0), std::nullopt);
    EXPECT_EQ(tool::ReadMemoryWords(cases[0].output, 0x10000064, 1),
              std::vector<std::uint32_t>{0x7C1D8BD6});
}

TEST(DeviceIdText, PutsTheSecondWordFirst) {
    EXPECT_EQ(record::DeviceIdText(*tool::DeviceId({0x596212AE, 0xA23EFBCB})), "A23EFBCB596212AE");
    EXPECT_EQ(record::DeviceIdText(*tool::DeviceId({0x5, 0xA})), "0000000A00000005");
    EXPECT_EQ(tool::DeviceId({0x5}), std::nullopt);
}

TEST(WordConfirmed, OnlyTheWrittenValueAtItsAddress) {
    const std::string readBack = "0x10001080: 000186A1                              |....|\n";
    EXPECT_TRUE(tool::WordConfirmed(readBack, 0x10001080, 100001));
    EXPECT_FALSE(tool::WordConfirmed(readBack, 0x10001080, 100002));
    EXPECT_FALSE(tool::WordConfirmed(readBack, 0x10001084, 100001));
    EXPECT_FALSE(tool::WordConfirmed("", 0x10001080, 0));
}

}  // namespace
