// hexgen, the generator of sample images, run as the demo runs it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "intel_hex.h"
#include "temp_folder.h"

namespace {

using test_support::ReadFile;
using test_support::TempFolder;

int Hexgen(const std::string& arguments) {
    const std::string command =
        std::string("'") + ROMTOOL_HEXGEN_PATH + "' " + arguments + " 2>/dev/null";
    return std::system(command.c_str());
}

class HexgenTest : public testing::Test {
protected:
    std::string Out(const std::string& name) const { return "'" + (folder_ / name) + "'"; }
    TempFolder folder_;
};

TEST_F(HexgenTest, WritesAnImageOfTheGivenSizeAtTheGivenBase) {
    ASSERT_EQ(Hexgen(Out("a.hex") + " --size 70000 --base 0x20000 --seed 5"), 0);
    const sim::ParsedHex parsed = sim::ParseIntelHex(ReadFile(folder_ / "a.hex"));
    ASSERT_TRUE(parsed.Ok()) << parsed.error;
    ASSERT_EQ(parsed.segments.size(), 1u);
    EXPECT_EQ(parsed.segments[0].address, 0x20000u);
    EXPECT_EQ(parsed.segments[0].bytes.size(), 70000u);
}

TEST_F(HexgenTest, SameSeedGivesTheSameFileAndAnotherSeedAnother) {
    ASSERT_EQ(Hexgen(Out("a.hex") + " --seed 9"), 0);
    ASSERT_EQ(Hexgen("--seed 9 " + Out("b.hex")), 0);
    ASSERT_EQ(Hexgen(Out("c.hex") + " --seed 10"), 0);
    EXPECT_EQ(ReadFile(folder_ / "a.hex"), ReadFile(folder_ / "b.hex"));
    EXPECT_NE(ReadFile(folder_ / "a.hex"), ReadFile(folder_ / "c.hex"));
    EXPECT_EQ(sim::ParseIntelHex(ReadFile(folder_ / "a.hex")).segments.at(0).bytes.size(), 16384u)
        << "the default size";
}

TEST_F(HexgenTest, RefusesBadArgumentsWithoutWritingAFile) {
    for (const std::string& bad :
         {std::string(""), Out("x.hex") + " --size", Out("x.hex") + " --size ten",
          Out("x.hex") + " --base 0xFFFFFFFF --size 2", Out("x.hex") + " --colour red",
          Out("x.hex") + " " + Out("y.hex")}) {
        EXPECT_NE(Hexgen(bad), 0) << bad;
    }
    EXPECT_FALSE(folder_.Exists("x.hex"));
}

}  // namespace
