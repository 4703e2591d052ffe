// The stand-ins' two-core nRF5340 and nRF91 modem, reached with the station's own commands: each
// core its own flash and protection, a network core's recover erasing both, data outside the
// chosen core refused, a modem package taken by an nRF91 only.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "hex_records.h"
#include "station_folder.h"
#include "tool/nrfutil_output.h"
#include "tool/nrfutil_programmer.h"
#include "tool/programmer.h"
#include "tool/run_command.h"

namespace {

using namespace std::chrono_literals;
using test_support::HexBase;
using test_support::HexRecord;

constexpr char kSerial[] = "682123456";

class Cores : public ::testing::TestWithParam<bool> {  // true: nrfutil
protected:
    bool Nrfutil() const { return GetParam(); }
    std::string Tool() const { return Nrfutil() ? station_.NrfutilPath() : station_.ToolPath(); }
    std::string Family(const char* name) const {
        return Nrfutil() ? name : std::string("NRF") + (name + 3);
    }
    bool Run(const std::string& command, int* exitCode = nullptr) const {
        const tool::CommandResult run = tool::RunCommand(command, station_.BinFolder(), 60s);
        if (exitCode) {
            *exitCode = run.exitCode;
        }
        return Nrfutil()
                   ? tool::NrfutilStepPassed(run.output, run.exitCode)
                   : tool::ProgrammingSucceeded(run.output) ||
                         (run.exitCode == 0 && command.find("--program") == std::string::npos);
    }
    bool Program(const std::string& image, const char* core, int* exitCode = nullptr) const {
        station_.Write("part.hex", image);
        const std::string path = station_ / "part.hex";
        const std::string nrfjprogCore =
            std::string("CP_") + (core[0] == 'N' ? "NETWORK" : "APPLICATION");
        return Run(Nrfutil()
                       ? tool::NrfutilCoreProgramCommand(Tool(), path, kSerial, true, "nrf53", core)
                       : tool::CoreProgrammingCommand(Tool(), path, tool::EraseMode::kWholeChip,
                                                      kSerial, "NRF53", nrfjprogCore),
                   exitCode);
    }
    bool Recover(const char* core) const {
        const std::string nrfjprogCore =
            std::string("CP_") + (core[0] == 'N' ? "NETWORK" : "APPLICATION");
        return Run(Nrfutil() ? tool::NrfutilCoreRecoverCommand(Tool(), kSerial, "nrf53", core)
                             : tool::CoreRecoverCommand(Tool(), kSerial, "NRF53", nrfjprogCore));
    }

    test_support::StationFolder station_;
};

const std::string kNetImage =
    HexBase(0x0100) + "\n" + HexRecord(0, 0, {1, 2, 3, 4}) + "\n" + test_support::kHexEnd + "\n";
const std::string kAppImage = HexRecord(0, 0, {5, 6, 7, 8}) + "\n" + test_support::kHexEnd + "\n";

TEST_P(Cores, EachCoreHasItsOwnFlashAndTheNetworkRecoverErasesBoth) {
    station_.SetStandIn(std::string("family=nrf53\nserial=") + kSerial + "\n");
    int exitCode = 0;
    EXPECT_FALSE(Program(kNetImage, "Application", &exitCode)) << "outside the core's areas";
    if (!Nrfutil()) {
        EXPECT_EQ(exitCode, 52);
    }
    ASSERT_TRUE(Program(kNetImage, "Network"));
    ASSERT_TRUE(Program(kAppImage, "Application"));
    EXPECT_EQ(station_.Read("bin/flash.net.bin").substr(0, 4), "\x01\x02\x03\x04");
    EXPECT_EQ(station_.Read("bin/flash.bin").substr(0, 4), "\x05\x06\x07\x08");

    ASSERT_TRUE(Recover("Application"));  // the application core only
    EXPECT_EQ(station_.Read("bin/flash.net.bin").substr(0, 4), "\x01\x02\x03\x04");
    ASSERT_TRUE(Program(kAppImage, "Application"));
    ASSERT_TRUE(Recover("Network"));  // both
    EXPECT_EQ(station_.Read("bin/flash.net.bin").substr(0, 4), "\xFF\xFF\xFF\xFF");
    EXPECT_FALSE(station_.Exists("bin/flash.bin") &&
                 station_.Read("bin/flash.bin").substr(0, 4) != "\xFF\xFF\xFF\xFF");
}

TEST_P(Cores, AModemPackageGoesToAnNrf91Only) {
    station_.Write("mfw.zip", "PK modem");
    const std::string zip = station_ / "mfw.zip";
    for (const char* family : {"nrf52", "nrf91"}) {
        SCOPED_TRACE(family);
        station_.SetStandIn(std::string("family=") + family + "\nserial=" + kSerial + "\n");
        const tool::CommandResult run = tool::RunCommand(
            Nrfutil() ? tool::NrfutilModemCommand(Tool(), zip, kSerial, Family(family))
                      : tool::ModemProgrammingCommand(Tool(), zip, kSerial, Family(family)),
            station_.BinFolder(), 60s);
        const bool nrf91 = std::string(family) == "nrf91";
        EXPECT_EQ(Nrfutil() ? tool::NrfutilStepPassed(run.output, run.exitCode)
                            : tool::ModemProgrammingSucceeded(run.output, run.exitCode),
                  nrf91)
            << run.output;
        EXPECT_EQ(station_.Exists("bin/flash.modem"), nrf91);
    }
    EXPECT_THAT(station_.Read("bin/flash.modem"), ::testing::StartsWith("mfw.zip 8 "));
}

INSTANTIATE_TEST_SUITE_P(Programmers, Cores, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Nrfutil" : "Nrfjprog"; });

}  // namespace
