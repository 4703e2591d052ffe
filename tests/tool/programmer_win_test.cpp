// What the station refuses to hand to cmd.exe.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "programmer.h"

namespace {

TEST(RefusedPath, IsTheFirstPathThatHoldsAPercentSign) {
    const std::string tool = "C:\\Station\\bin\\nrfjprog.exe";
    EXPECT_FALSE(tool::FindRefusedPath({tool, "C:\\Station\\merge (v2) & x.hex"}));
    for (const std::string image : {"C:\\Line %LINE%\\merge.hex", "C:\\Station\\100%.hex"}) {
        const std::optional<tool::RefusedPath> refused = tool::FindRefusedPath({tool, image});
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->path, image);
        EXPECT_EQ(refused->character, '%');
    }
    const auto first = tool::FindRefusedPath({"C:\\%TEMP%\\bin\\nrfjprog.exe", "C:\\%x.hex"});
    ASSERT_TRUE(first);
    EXPECT_EQ(first->path, "C:\\%TEMP%\\bin\\nrfjprog.exe");
}

}  // namespace
