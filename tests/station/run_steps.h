// The run's calls, in order, for a configuration and the stand-in's chips: the table's fixture,
// shared by the tables of each kind of chip (chip_identity_test.cpp, two_core_test.cpp).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "checksum_of.h"
#include "hex_records.h"
#include "platform/paths.h"
#include "station_fixture.h"
#include "tool/run_command.h"

namespace chip_steps {

class ChipStation : public StationTest {
protected:
    // merge.hex and merge.crc: 16 bytes for the application core at 0, 16 for the network
    // core at 0x01000000.
    static void WriteMergedImage(const test_support::StationFolder& station) {
        using test_support::HexRecord;
        const std::vector<std::uint8_t> app(16, 0xA5);
        const std::vector<std::uint8_t> net(16, 0x5A);
        const std::string image = test_support::HexBase(0) + "\r\n" + HexRecord(0, 0, app) +
                                  "\r\n" + test_support::HexBase(0x0100) + "\r\n" +
                                  HexRecord(0, 0, net) + "\r\n" + test_support::kHexEnd + "\r\n";
        station.Write("merge.hex", image);
        station.Write("merge.crc", test_support::ChecksumOf(image));
    }
    // mfw.zip (the modem's firmware) and its checksum file.
    static void WriteModem(const test_support::StationFolder& station) {
        station.Write("mfw.zip", "PK modem firmware");
        station.Write("mfw.zip.crc", test_support::ChecksumOf("PK modem firmware"));
    }

    test_support::StationFolder& ChipStationWith(const std::string& lines) {
        auto& station = Station();
        station.Write("config.ini", station.Read("config.ini") + lines);
        return station;
    }
    // The next board: the stand-in's chip on the probe is replaced by a new one.
    void ChangeBoard() const {
        tool::RunCommand(os::QuoteArgument(station_->ToolPath()) + " --board-change",
                         station_->BinFolder(), std::chrono::seconds(30));
    }
};

struct StepsCase {
    const char* name;
    bool nrfutil;
    const char* lines;
    // How each call after the checks starts; a step that names a file ("@hex" the image,
    // "@net" and "@app" the cores' parts, "@zip" the modem's firmware) is the whole call.
    std::vector<std::string> steps;
    bool deviceId;
    const char* serialNumber;
    bool erase = true;         // the operator's choice
    const char* standIn = "";  // the stand-in's chips
    bool merged = false;       // the image holds the network core's part too (nRF5340)

    friend void PrintTo(const StepsCase& c, std::ostream* out) { *out << c.name; }
};

class RunSteps : public ChipStation, public ::testing::WithParamInterface<StepsCase> {};

}  // namespace chip_steps
