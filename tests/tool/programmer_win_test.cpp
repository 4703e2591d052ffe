// What the station refuses to hand to cmd.exe.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "programmer.h"

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

TEST(PathRefusal, NamesTheFirstPathThatHoldsAPercentSign) {
    const std::string tool = "C:\\Station\\bin\\nrfjprog.exe";
    EXPECT_EQ(tool::PathRefusal({tool, "C:\\Station\\merge (v2) & x.hex"}), "");
    for (const std::string image : {"C:\\Line %LINE%\\merge.hex", "C:\\Station\\100%.hex"}) {
        const std::string refusal = tool::PathRefusal({tool, image});
        EXPECT_THAT(refusal, StartsWith("ERROR:" + image));
        EXPECT_THAT(refusal, HasSubstr("“%”"));
    }
    EXPECT_THAT(tool::PathRefusal({"C:\\%TEMP%\\bin\\nrfjprog.exe", "C:\\%x.hex"}),
                StartsWith("ERROR:C:\\%TEMP%\\bin\\nrfjprog.exe"));
}

}  // namespace
