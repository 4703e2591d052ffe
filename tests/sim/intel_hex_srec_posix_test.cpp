// Our Intel HEX writer and reader against an independent implementation: srec_cat (srecord).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "intel_hex.h"
#include "temp_folder.h"

namespace {

using test_support::ReadFile;
using test_support::TempFolder;
using test_support::WriteFile;

std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

std::vector<std::uint8_t> Pattern(std::size_t size, unsigned seed) {
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t state = seed;
    for (auto& b : bytes) {
        state = state * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(state >> 16);
    }
    return bytes;
}

struct Placement {
    std::size_t size;
    std::uint32_t base;
};

class SrecCatAgrees : public testing::TestWithParam<Placement> {
protected:
    TempFolder folder_;
};

TEST_P(SrecCatAgrees, ReadsOurFileBackToTheSameBytes) {
    const auto bytes = Pattern(GetParam().size, 11);
    WriteFile(folder_ / "image.hex", sim::MakeIntelHex(bytes, GetParam().base));
    const std::string command = "srec_cat " + Quoted(folder_ / "image.hex") + " -intel -offset -" +
                                Hex(GetParam().base) + " -o " + Quoted(folder_ / "image.bin") +
                                " -binary";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_EQ(ReadFile(folder_ / "image.bin"), std::string(bytes.begin(), bytes.end()));
}

TEST_P(SrecCatAgrees, WritesAFileWeReadToTheSameBytes) {
    const auto bytes = Pattern(GetParam().size, 23);
    WriteFile(folder_ / "image.bin", std::string(bytes.begin(), bytes.end()));
    // With a start address, so its type 05 record is in the file too.
    const std::string command = "srec_cat " + Quoted(folder_ / "image.bin") + " -binary -offset " +
                                Hex(GetParam().base) + " -o " + Quoted(folder_ / "image.hex") +
                                " -intel -execution-start-address " + Hex(GetParam().base);
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    const sim::ParsedHex parsed = sim::ParseIntelHex(ReadFile(folder_ / "image.hex"));
    ASSERT_TRUE(parsed.Ok()) << parsed.error;
    ASSERT_EQ(parsed.segments.size(), 1u);
    EXPECT_EQ(parsed.segments[0].address, GetParam().base);
    EXPECT_EQ(parsed.segments[0].bytes, bytes);
}

INSTANTIATE_TEST_SUITE_P(Images, SrecCatAgrees,
                         testing::Values(Placement{4096, 0}, Placement{1000, 0xFFC0},
                                         Placement{200000, 0x1FFF9}, Placement{33, 0x10001000}));

}  // namespace
