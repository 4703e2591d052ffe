#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "programmer.h"
#include "run_command.h"

namespace {

TEST(ProgrammingSucceeded, NeedsAVerifySuccessTextAndNoError) {
    const std::vector<std::pair<std::string, bool>> outputs = {
        {"Parsing image file.\nVerifying programming.\nVerify OK\n", true},
        {"Verify OK", true},
        {"Parsing image file.\r\nVerifying programming.\r\nVerified OK.\r\n", true},
        {"[##] 100% Verify file - Done verifying\n", true},
        {"Verified OK\n", false},  // without its full stop
        {"verify file - done verifying\n", false},
        {"Verified OK.\nERROR: [Probe] Lost connection.\n", false},
        {"ERROR:x\nVerify file - Done verifying\n", false},
        {"error: lower case is no marker\nVerify OK\n", true},
        {"", false},
        {"Programming done.\n", false},  // success claimed without the marker
        {"verify ok\n", false},          // markers are case-sensitive
        {"Verify  OK\n", false},
        {"Verify OK\nERROR: Write failed.\n", false},
        {"ERROR:x\nVerify OK\n", false},
        {"Verify OK\n" + tool::TimeoutLine(300) + "\n", false},
    };
    for (const auto& [output, succeeded] : outputs) {
        EXPECT_EQ(tool::ProgrammingSucceeded(output), succeeded) << output;
    }
}

TEST(TimeoutLine, NamesTheLimitInSeconds) {
    EXPECT_EQ(tool::TimeoutLine(30), "ERROR:命令在30秒内未结束，已被终止。");
    EXPECT_EQ(tool::TimeoutLine(300), "ERROR:命令在300秒内未结束，已被终止。");
}

TEST(CommandLines, EraseOnlyAddsItsOption) {
    const std::string prog = "nrfjprog";
    const std::string hex = "merge.hex";
    std::string plain = tool::ProgrammingCommand(prog, hex, false, tool::kProgPara);
    const std::string erase = tool::ProgrammingCommand(prog, hex, true, tool::kProgPara);
    ASSERT_NE(plain.find(" --program "), std::string::npos);
    EXPECT_EQ(plain.replace(plain.find(" --program "), 11, " -e --program "), erase);
    EXPECT_EQ(erase.substr(erase.size() - std::string(tool::kProgPara).size()), tool::kProgPara);
    // The trailing options are the ones the station holds, not a constant of the command.
    for (const std::string& command : {tool::ProgrammingCommand(prog, hex, false, " --x "),
                                       tool::CommandTemplate(prog, " --x ")}) {
        EXPECT_EQ(command.substr(command.size() - 5), " --x ") << command;
    }
}

}  // namespace
