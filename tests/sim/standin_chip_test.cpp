// The stand-ins' chips as the station reaches into them: their DEVICEID per family, probe and
// board, the UICR word a run writes, protection, and the command lines they refuse. Run as the
// station runs them (through the command interpreter) and read by the station's own parsers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "intel_hex.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "record/production_record.h"
#include "station_folder.h"
#include "tool/memory_words.h"
#include "tool/nrfutil_output.h"
#include "tool/nrfutil_programmer.h"
#include "tool/programmer.h"
#include "tool/run_command.h"

namespace {

using namespace std::chrono_literals;
using test_support::StationFolder;
using testing::HasSubstr;

constexpr char kFirst[] = "682123456";
constexpr char kSecond[] = "682000777";
constexpr std::uint32_t kNrf52Uicr = 0x10001080;

enum class Tool { kNrfjprog, kNrfutil };

class Chips : public testing::Test {
protected:
    Chips() { station_.SetStandIn(std::string("serial=") + kFirst + "," + kSecond + "\n"); }

    std::string ToolPath(Tool which) const {
        return which == Tool::kNrfutil ? station_.NrfutilPath() : station_.ToolPath();
    }
    tool::CommandResult Run(const std::string& commandLine) const {
        return tool::RunCommand(commandLine, station_.BinFolder(), 60s);
    }
    tool::CommandResult Run(Tool which, const std::vector<std::string>& arguments) const {
        std::string line = os::QuoteArgument(ToolPath(which));
        for (const std::string& argument : arguments) {
            line += " " + os::QuoteArgument(argument);
        }
        return Run(line);
    }
    // What a memory read of the chip on probe serial prints, through the station's command.
    tool::CommandResult Read(Tool which, std::uint32_t address, std::uint32_t bytes,
                             const std::string& serial = kFirst) const {
        return Run(which == Tool::kNrfutil
                       ? tool::NrfutilReadCommand(ToolPath(which), address, bytes, serial)
                       : tool::MemoryReadCommand(ToolPath(which), address, bytes, serial));
    }
    std::optional<std::string> DeviceId(Tool which, std::uint32_t address,
                                        const std::string& serial = kFirst) const {
        const auto words = tool::ReadMemoryWords(Read(which, address, 8, serial).output, address,
                                                 tool::kDeviceIdWords);
        const auto id = words ? tool::DeviceId(*words) : std::nullopt;
        return id ? std::optional(record::DeviceIdText(*id)) : std::nullopt;
    }
    tool::CommandResult Write(Tool which, std::uint32_t address, std::uint32_t value) const {
        return Run(which == Tool::kNrfutil
                       ? tool::NrfutilWriteCommand(ToolPath(which), address, value, kFirst)
                       : tool::MemoryWriteCommand(ToolPath(which), address, value, kFirst));
    }
    static bool Passed(Tool which, const tool::CommandResult& run) {
        return which == Tool::kNrfutil ? tool::NrfutilStepPassed(run.output, run.exitCode)
                                       : tool::StepSucceeded(run.output, run.exitCode);
    }

    StationFolder station_;
};

TEST_F(Chips, DeviceIdPerFamilyProbeAndBoard) {
    const struct {
        const char* settings;
        std::uint32_t address;
        const char* first;
        const char* second;  // of the second probe's chip
    } cases[] = {
        {"", 0x10000060, "F00DCAFE12345678", "F00DCAFF12345678"},
        {"family=nrf53\ndeviceid=0xA23EFBCB596212AE\n", 0x00FF0204, "A23EFBCB596212AE",
         "A23EFBCC596212AE"},
        {"family=nrf91\ndeviceid=1\n", 0x00FF0204, "0000000000000001", "0000000100000001"},
        {"family=nrf54l\ndeviceid=FFFFFFFFFFFFFFFF\n", 0x00FFC304, "FFFFFFFFFFFFFFFF",
         "00000000FFFFFFFF"},
    };
    for (const auto& c : cases) {
        station_.SetStandIn(std::string("serial=") + kFirst + "," + kSecond + "\n" + c.settings);
        for (Tool which : {Tool::kNrfjprog, Tool::kNrfutil}) {
            EXPECT_EQ(DeviceId(which, c.address), c.first) << c.settings;
            EXPECT_EQ(DeviceId(which, c.address, kSecond), c.second) << c.settings;
        }
        EXPECT_EQ(DeviceId(Tool::kNrfjprog, c.address + 8), "FFFFFFFFFFFFFFFF") << "FICR past it";
    }
    const tool::CommandResult text = Run(
        Tool::kNrfutil,
        {"device", "read", "--address", "0x00FFC304", "--bytes", "8", "--serial-number", kFirst});
    EXPECT_EQ(tool::ReadMemoryWords(text.output, 0x00FFC304, 2),
              (std::vector<std::uint32_t>{0xFFFFFFFF, 0xFFFFFFFF}));

    // The next board: a new ID, and a new chip, erased and open.
    station_.SetStandIn("");
    ASSERT_TRUE(Passed(Tool::kNrfjprog, Write(Tool::kNrfjprog, kNrf52Uicr, 1)));
    ASSERT_TRUE(Passed(Tool::kNrfjprog, Run(tool::ProtectCommand(station_.ToolPath(), ""))));
    const tool::CommandResult changed = Run(Tool::kNrfjprog, {"--board-change"});
    EXPECT_THAT(changed.output, HasSubstr("F00DCAFE12345679"));
    EXPECT_EQ(DeviceId(Tool::kNrfutil, 0x10000060), "F00DCAFE12345679");
    EXPECT_EQ(Run(Tool::kNrfutil, {"device", "board-change", "--serial-number", kFirst}).exitCode,
              0);
    EXPECT_EQ(DeviceId(Tool::kNrfjprog, 0x10000060), "F00DCAFE1234567A");
    EXPECT_TRUE(
        tool::WordConfirmed(Read(Tool::kNrfjprog, kNrf52Uicr, 4).output, kNrf52Uicr, 0xFFFFFFFF));
    EXPECT_EQ(station_.Read("bin/flash.board"), "2\n");
}

// The station's run with both features on, step by step, for each programmer.
TEST_F(Chips, TheStationsStepsProgramNumberProtectAndReset) {
    for (Tool which : {Tool::kNrfjprog, Tool::kNrfutil}) {
        const std::string prog = ToolPath(which);
        const std::string image = station_.ImagePath();
        const std::uint32_t serial = which == Tool::kNrfutil ? 100001 : 100000;
        const tool::CommandResult programmed =
            Run(which == Tool::kNrfutil
                    ? tool::NrfutilProgrammingCommands(prog, image, kFirst, true).front()
                    : tool::ProgrammingCommand(prog, image, true, tool::kVerifyOnlyPara, kFirst));
        EXPECT_TRUE(which == Tool::kNrfutil ? Passed(which, programmed)
                                            : tool::ProgrammingSucceeded(programmed.output))
            << programmed.output;
        EXPECT_EQ(DeviceId(which, 0x10000060), "F00DCAFE12345678");
        EXPECT_TRUE(Passed(which, Write(which, kNrf52Uicr, serial)));
        EXPECT_TRUE(tool::WordConfirmed(Read(which, kNrf52Uicr, 4).output, kNrf52Uicr, serial));

        // A word is written only where it is erased.
        const tool::CommandResult again = Write(which, kNrf52Uicr, serial + 1);
        EXPECT_FALSE(Passed(which, again));
        EXPECT_EQ(again.exitCode, which == Tool::kNrfutil ? 1 : 58);
        if (which == Tool::kNrfjprog) {
            EXPECT_THAT(again.output, HasSubstr("ERROR: The area to write is not erased."));
        }

        for (const std::string& step :
             which == Tool::kNrfutil
                 ? std::vector<std::string>{tool::NrfutilProtectCommand(prog, kFirst),
                                            tool::NrfutilPinResetCommand(prog, kFirst)}
                 : std::vector<std::string>{tool::ProtectCommand(prog, kFirst),
                                            tool::PinResetCommand(prog, kFirst)}) {
            const tool::CommandResult run = Run(step);
            EXPECT_TRUE(Passed(which, run)) << step << "\n" << run.output;
        }
        // Protected now: for either programmer, until the whole chip is erased.
        const tool::CommandResult refused = Read(Tool::kNrfjprog, 0x10000060, 8);
        EXPECT_EQ(refused.exitCode, 16);
        EXPECT_THAT(refused.output,
                    HasSubstr("ERROR: The operation attempted is unavailable due to readback "
                              "protection in" +
                              std::string(os::kLineBreak) +
                              "ERROR: your device. Please use --recover to unlock the device."));
        const tool::CommandResult refusedJson = Read(Tool::kNrfutil, 0x10000060, 8);
        EXPECT_EQ(refusedJson.exitCode, 1);
        EXPECT_THAT(tool::NrfutilStepAccount("read", refusedJson.output, refusedJson.exitCode),
                    HasSubstr("(code 24)"));
        EXPECT_EQ(Run(tool::ProgrammingCommand(station_.ToolPath(), image, false,
                                               tool::kVerifyOnlyPara, kFirst))
                      .exitCode,
                  16);
        EXPECT_TRUE(station_.Exists("bin/flash.uicr"));
    }
    EXPECT_EQ(Run(Tool::kNrfjprog, {"--recover", "--snr", kFirst}).exitCode, 0);
    EXPECT_FALSE(station_.Exists("bin/flash.protected"));
    EXPECT_FALSE(station_.Exists("bin/flash.uicr")) << "the whole chip is erased";
}

TEST_F(Chips, AnImageMayWriteTheUicr) {
    std::string image = sim::MakeIntelHex(std::vector<std::uint8_t>(64, 0x5A), 0);
    const std::string uicr = sim::MakeIntelHex({0xA1, 0x86, 0x01, 0x00}, kNrf52Uicr);
    image = image.substr(0, image.rfind(":00000001FF")) + uicr;
    test_support::WriteFile(station_.ImagePath(), image);
    const tool::CommandResult run = Run(tool::ProgrammingCommand(
        station_.ToolPath(), station_.ImagePath(), true, tool::kVerifyOnlyPara, kFirst));
    EXPECT_TRUE(tool::ProgrammingSucceeded(run.output)) << run.output;
    EXPECT_TRUE(
        tool::WordConfirmed(Read(Tool::kNrfutil, kNrf52Uicr, 4).output, kNrf52Uicr, 100001));
}

TEST_F(Chips, CommandLinesTheyRefuse) {
    const std::vector<std::vector<std::string>> nrfjprog = {
        {"--memrd"},
        {"--memrd", "0x10000062", "--n", "8"},
        {"--memrd", "0x10000060", "--n", "0"},
        {"--memrd", "0x10000060", "--w", "12"},
        {"--memrd", "0x10000060", "--val", "1"},
        {"--memrd", "0x1_0000060"},
        {"--memrd", "0x100000000"},
        {"--memwr", "0x10001080"},
        {"--memwr", "0x10001082", "--val", "1"},
        {"--memwr", "0x10001080", "--val", "0x1", "--n", "4"},
        {"--memrd", "0x10000060", "--memwr", "0x10001080"},
        {"-e", "--rbp", "ALL"},
        {"--rbp", "ALL", "--verify"},
        {"--recover", "--pinreset"},
        {"--board-change", "-i"},
    };
    for (const auto& arguments : nrfjprog) {
        const tool::CommandResult run = Run(Tool::kNrfjprog, arguments);
        EXPECT_EQ(run.exitCode, 1) << testing::PrintToString(arguments);
        EXPECT_THAT(run.output, HasSubstr("ERROR: ")) << testing::PrintToString(arguments);
    }
    const std::vector<std::vector<std::string>> nrfutil = {
        {"device", "read", "--address", "0x10000060", "--serial-number", kFirst},
        {"device", "read", "--bytes", "8", "--serial-number", kFirst},
        {"device", "read", "--address", "0x10000060", "--bytes", "6", "--serial-number", kFirst},
        {"device", "read", "--address", "0x10000060", "--bytes", "8"},
        {"device", "write", "--address", "0x10001080", "--serial-number", kFirst},
        {"device", "write", "--address", "0x10001080", "--value", "1", "--bytes", "4",
         "--serial-number", kFirst},
        {"device", "write", "--address", "x", "--value", "1", "--serial-number", kFirst},
    };
    for (const auto& arguments : nrfutil) {
        const tool::CommandResult run = Run(Tool::kNrfutil, arguments);
        EXPECT_EQ(run.exitCode, 2) << testing::PrintToString(arguments);
    }
    EXPECT_TRUE(station_.Exists("bin/calls.log"));
    EXPECT_FALSE(station_.Exists("bin/flash.bin")) << "no chip was touched";

    // Reads and writes outside the chip's memories are errors of their own.
    for (Tool which : {Tool::kNrfjprog, Tool::kNrfutil}) {
        EXPECT_NE(Read(which, 0x20000000, 4).exitCode, 0);
        EXPECT_NE(Write(which, 0x10000060, 1).exitCode, 0) << "FICR is read-only";
    }
}

TEST_F(Chips, OptionListsNameTheNewCommands) {
    const std::string nrfjprog = Run(Tool::kNrfjprog, {"-h"}).output;
    for (const char* option :
         {"--memrd", "--n", "--w", "--memwr", "--val", "--recover", "--board-change", "flash.uicr",
          "flash.board", "deviceid=", "family="}) {
        EXPECT_THAT(nrfjprog, HasSubstr(option));
    }
    const std::string nrfutil = Run(Tool::kNrfutil, {"device", "read", "--help"}).output;
    for (const char* option : {"device read", "--address", "--bytes", "--width", "device write",
                               "--value", "device board-change"}) {
        EXPECT_THAT(nrfutil, HasSubstr(option));
    }
}

}  // namespace
