// What the station refuses to hand to cmd.exe.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/paths.h"
#include "tool/programmer.h"

namespace {

TEST(RefusedPath, IsTheFirstPathThatHoldsAPercentSign) {
    const std::string bin = "C:\\Station\\bin\\";
    const std::string tool = bin + "nrfjprog.exe";
    EXPECT_FALSE(tool::FindRefusedPath(bin, tool, "C:\\Station\\merge (v2) & x.hex"));
    for (const std::string image : {"C:\\Line %LINE%\\merge.hex", "C:\\Station\\100%.hex"}) {
        const std::optional<tool::RefusedPath> refused = tool::FindRefusedPath(bin, tool, image);
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->path, image);
        EXPECT_EQ(refused->use, tool::PathUse::kImage);
        EXPECT_EQ(refused->reason, tool::Refusal::kExpanded);
        EXPECT_EQ(refused->character, '%');
    }
    // The working folder is no part of the command line: the tool's path is the one named.
    const auto first =
        tool::FindRefusedPath("C:\\%TEMP%\\bin\\", "C:\\%TEMP%\\bin\\nrfjprog.exe", "C:\\%x.hex");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->path, "C:\\%TEMP%\\bin\\nrfjprog.exe");
}

// cmd.exe and the programs it starts take MAX_PATH - 1 characters, counted in UTF-16 units: a
// Chinese character is one, though it is three bytes of UTF-8.
TEST(RefusedPath, LengthIsCountedInUtf16Units) {
    EXPECT_EQ(os::kLongestCommandPath, 259u);
    std::string image = "C:\\";
    for (int i = 0; i < 252; ++i) {
        image += "站";
    }
    image += ".hex";  // 3 + 252 + 4 = 259 characters, 763 bytes
    EXPECT_FALSE(tool::FindRefusedPath("C:\\s\\bin\\", "C:\\s\\bin\\nrfjprog.exe", image));
    const auto refused = tool::FindRefusedPath("C:\\s\\bin\\", "C:\\s\\bin\\nrfjprog.exe",
                                               "C:\\站" + image.substr(3));
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->length, 260u);
}

}  // namespace
