#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "tool/programmer.h"
#include "tool/run_command.h"

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
        {"Verify OK\nERROR:命令在300秒内未结束，已被终止。\n", false},
    };
    for (const auto& [output, succeeded] : outputs) {
        EXPECT_EQ(tool::ProgrammingSucceeded(output), succeeded) << output;
    }
}

TEST(CommandLines, EraseOnlyAddsItsOption) {
    const std::string prog = "nrfjprog";
    const std::string hex = "merge.hex";
    std::string plain = tool::ProgrammingCommand(prog, hex, false, tool::kProgPara, "");
    const std::string erase = tool::ProgrammingCommand(prog, hex, true, tool::kProgPara, "");
    ASSERT_NE(plain.find(" --program "), std::string::npos);
    EXPECT_EQ(plain.replace(plain.find(" --program "), 11, " -e --program "), erase);
    EXPECT_EQ(erase.substr(erase.size() - std::string(tool::kProgPara).size()), tool::kProgPara);
    // The trailing options are the ones the station holds, not a constant of the command.
    for (const std::string& command : {tool::ProgrammingCommand(prog, hex, false, " --x ", ""),
                                       tool::CommandTemplate(prog, " --x ", "")}) {
        EXPECT_EQ(command.substr(command.size() - 5), " --x ") << command;
    }
}

// A path of exactly length characters (os::PathLength) ending in end.
std::string PathOfLength(std::size_t length, const std::string& end) {
    const std::string root = os::kPathSeparator == '\\' ? "C:\\" : "/";
    return root + std::string(length - root.size() - end.size(), 'a') + end;
}

TEST(RefusedPath, LongestPathsRunAndOneCharacterMoreIsRefused) {
    const std::size_t longest = os::kLongestCommandPath;
    const std::string sep(1, os::kPathSeparator);
    const std::string folder = PathOfLength(20, sep);
    const std::string tool = folder + "nrfjprog";
    struct Case {
        std::string workingFolder, tool, image;
        std::optional<tool::PathUse> refused;
    };
    const Case cases[] = {
        {PathOfLength(longest, sep), tool, "", std::nullopt},
        {PathOfLength(longest + 1, sep), tool, "", tool::PathUse::kWorkingFolder},
        // Without its trailing separator a folder counts as it will be used, with it.
        {PathOfLength(longest - 1, "b"), tool, "", std::nullopt},
        {PathOfLength(longest, "b"), tool, "", tool::PathUse::kWorkingFolder},
        {folder, PathOfLength(longest, ".exe"), "", std::nullopt},
        {folder, PathOfLength(longest + 1, ".exe"), "", tool::PathUse::kTool},
        {folder, tool, PathOfLength(longest, ".hex"), std::nullopt},
        {folder, tool, PathOfLength(longest + 1, ".hex"), tool::PathUse::kImage},
        // The first path that is too long is named.
        {PathOfLength(longest + 1, sep), PathOfLength(longest + 1, ".exe"),
         PathOfLength(longest + 1, ".hex"), tool::PathUse::kWorkingFolder},
    };
    for (const Case& c : cases) {
        const auto refused = tool::FindRefusedPath(c.workingFolder, c.tool, c.image);
        ASSERT_EQ(refused.has_value(), c.refused.has_value()) << c.workingFolder << " " << c.tool;
        if (refused) {
            EXPECT_EQ(refused->use, *c.refused);
            EXPECT_EQ(refused->reason, tool::Refusal::kTooLong);
            const std::string& path = *c.refused == tool::PathUse::kWorkingFolder ? c.workingFolder
                                      : *c.refused == tool::PathUse::kTool        ? c.tool
                                                                                  : c.image;
            EXPECT_EQ(refused->path, path);
            EXPECT_EQ(refused->length, os::PathLength(path));
        }
    }
}

}  // namespace
