// The stand-in programmer as a Windows program, run by the station's own command lines through
// cmd.exe: the image path arrives whole and the run is judged from its output.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "station_folder.h"
#include "tool/programmer.h"
#include "tool/run_command.h"

namespace {

using ::testing::HasSubstr;

constexpr std::chrono::milliseconds kGenerousLimit{60000};

TEST(StandInOnWindows, ProgramsAnImageWhosePathHasBlanksAndSpecialCharacters) {
    test_support::StationFolder station;
    station.MakeFolder("固件 & (v2)");
    const std::string image = station / "固件 & (v2)\\merge & echo x.hex";
    test_support::StationFolder::WriteImage(image);

    const std::string output = tool::RunCommand(tool::ProgrammingCommand(station.ToolPath(), image,
                                                                         true, tool::kProgPara, ""),
                                                station.BinFolder(), kGenerousLimit)
                                   .output;

    EXPECT_TRUE(tool::ProgrammingSucceeded(output)) << output;
    EXPECT_THAT(station.StandInCalls(), HasSubstr("\t" + image + "\t"));
    EXPECT_EQ(station.StandInCallCount(), 1);
}

TEST(StandInOnWindows, ProbeQueryAnswersInTheBinFolder) {
    test_support::StationFolder station;
    const std::string output = tool::RunCommand(tool::ProbeQueryCommand(station.ToolPath()),
                                                station.BinFolder(), kGenerousLimit)
                                   .output;
    EXPECT_FALSE(output.empty());
    EXPECT_EQ(station.StandInCalls().rfind(station.BinFolder() + "\t", 0), 0u);
}

}  // namespace
