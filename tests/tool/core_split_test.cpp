// A merged nRF5340 image split by its cores: each record goes to the core holding it, with the
// address record it needs; a record no core holds is refused with its first address.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "hex_records.h"
#include "tool/chip_family.h"
#include "tool/core_split.h"

namespace {

using test_support::HexRecord;

std::string Record(std::uint8_t type, std::uint16_t offset, const std::vector<std::uint8_t>& data) {
    return HexRecord(type, offset, data);
}

std::string Base(std::uint16_t upper) {
    return test_support::HexBase(upper);
}

const std::string kEnd = ":00000001FF";
const std::string kApp = Record(0x00, 0x0000, {1, 2, 3, 4});
const std::string kApp2 = Record(0x00, 0x1000, {5, 6});
const std::string kNet = Record(0x00, 0x0010, {7, 8, 9});
const std::string kNetUicr = Record(0x00, 0x8000, {0xAA, 0xBB, 0xCC, 0xDD});
const std::string kStart = Record(0x05, 0, {0, 0, 0x01, 0x00});

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

struct SplitCase {
    const char* name;
    std::string image;
    std::string network;      // the network core's part, "" when refused
    std::string application;  // the application core's part
    std::uint32_t refused = 0;

    friend void PrintTo(const SplitCase& c, std::ostream* out) { *out << c.name; }
};

class SplitByCores : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitByCores, EachRecordGoesToItsCoreWithItsAddressRecord) {
    const SplitCase& c = GetParam();
    const tool::SplitImage split =
        tool::SplitByCores(c.image, tool::CoresOf(tool::ChipFamily::kNrf53));
    if (c.refused != 0) {
        ASSERT_TRUE(split.refusedAddress);
        EXPECT_EQ(*split.refusedAddress, c.refused);
        EXPECT_TRUE(split.parts.empty());
        return;
    }
    ASSERT_TRUE(split.Ok());
    ASSERT_EQ(split.parts.size(), 2u);
    EXPECT_EQ(split.parts[0].text, c.network);
    EXPECT_EQ(split.parts[1].text, c.application);
}

INSTANTIATE_TEST_SUITE_P(
    Nrf53, SplitByCores,
    ::testing::Values(
        SplitCase{"Merged",
                  Lines({Base(0), kApp, Base(0x0100), kNet, Base(0), kApp2, kStart, kEnd}),
                  Lines({Base(0x0100), kNet, kEnd}), Lines({Base(0), kApp, kApp2, kStart, kEnd})},
        SplitCase{"ApplicationOnlyLeavesTheNetworkPartEmpty", Lines({kApp, kEnd}), Lines({kEnd}),
                  Lines({kApp, kEnd})},
        SplitCase{"NetworkUicr", Lines({Base(0x01FF), kNetUicr, kEnd}),
                  Lines({Base(0x01FF), kNetUicr, kEnd}), Lines({kEnd})},
        SplitCase{"CrLfKept", "" + kApp + "\r\n" + kEnd + "\r\n", kEnd + "\r\n",
                  kApp + "\r\n" + kEnd + "\r\n"},
        SplitCase{"BetweenTheCores", Lines({kApp, Base(0x0010), kApp, kEnd}), "", "", 0x00100000},
        SplitCase{"PastTheNetworkFlash", Lines({Base(0x0104), kApp, kEnd}), "", "", 0x01040000},
        // A record that runs past the network flash's end is refused at its first byte outside.
        SplitCase{"StraddlingTheEnd",
                  Lines({Base(0x0103), Record(0x00, 0xFFFE, {1, 2, 3, 4}), kEnd}), "", "",
                  0x01040000},
        SplitCase{"PeripheralArea", Lines({Base(0x5000), kApp, kEnd}), "", "", 0x50000000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SplitByCoresLines, APartCountsItsBytesAndRangeAndAnImageThatIsNoSoundHexIsNotSplit) {
    const auto cores = tool::CoresOf(tool::ChipFamily::kNrf53);
    const tool::SplitImage split =
        tool::SplitByCores(Lines({kApp, kApp2, Base(0x0100), kNet, kEnd}), cores);
    ASSERT_TRUE(split.Ok());
    EXPECT_EQ(split.parts[1].bytes, 6u);
    EXPECT_EQ(split.parts[1].first, 0u);
    EXPECT_EQ(split.parts[1].last, 0x1001u);
    EXPECT_EQ(split.parts[0].first, 0x01000010u);
    EXPECT_EQ(split.parts[0].last, 0x01000012u);

    // A damaged line, two images joined by "copy /b", an image cut short: refused at the line.
    const std::string damaged = kApp.substr(0, kApp.size() - 1) + "0";
    const std::pair<std::string, std::size_t> refused[] = {
        {Lines({damaged, kEnd}), 1},
        {Lines({kApp, kEnd, Base(0x0100), kNet, kEnd}), 3},
        {Lines({kApp, Base(0x0100), kNet}), 3}};
    for (const auto& [image, line] : refused) {
        const tool::SplitImage bad = tool::SplitByCores(image, cores);
        ASSERT_TRUE(bad.fault) << image;
        EXPECT_EQ(bad.fault->line, line) << image;
        EXPECT_TRUE(bad.parts.empty());
    }
}

}  // namespace
