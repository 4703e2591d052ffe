#include "intel_hex.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    return bytes;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

std::string ErrorOf(const std::string& text) {
    return sim::ParseIntelHex(text).error;
}

// ---------------------------------------------------------------------------------------------
// Writing

TEST(MakeIntelHex, WritesTheExactRecordsOfASmallImage) {
    EXPECT_EQ(sim::MakeIntelHex({0x01, 0x02, 0x03}, 0x1000),
              ":020000040000FA\r\n"
              ":03100000010203E7\r\n"
              ":00000001FF\r\n");
}

TEST(MakeIntelHex, PutsSixteenUpperCaseBytesInARecord) {
    const auto lines = Lines(sim::MakeIntelHex(std::vector<std::uint8_t>(40, 0xAB), 0));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], ":10000000ABABABABABABABABABABABABABABABAB40");
    EXPECT_EQ(lines[2].substr(0, 9), ":10001000");
    EXPECT_EQ(lines[3].substr(0, 9), ":08002000");
}

TEST(MakeIntelHex, StartsANewLinearAddressAtEvery64KiBBoundary) {
    const auto lines = Lines(sim::MakeIntelHex(Pattern(0x10010), 0x2FFF8));
    EXPECT_EQ(lines.front(), ":020000040002F8");
    EXPECT_EQ(lines[1].substr(0, 9), ":08FFF800") << "no record crosses the boundary";
    EXPECT_EQ(lines[2], ":020000040003F7");
    EXPECT_EQ(lines[lines.size() - 3], ":020000040004F6");
    EXPECT_EQ(lines.back(), ":00000001FF");
}

TEST(MakeIntelHex, EmptyImageHasOnlyTheAddressAndEndRecords) {
    EXPECT_EQ(sim::MakeIntelHex({}, 0x12340000), ":020000041234B4\r\n:00000001FF\r\n");
}

TEST(MakeIntelHex, RefusesAnImagePastTheAddressSpace) {
    EXPECT_THROW(sim::MakeIntelHex(Pattern(32), 0xFFFFFFF0u), std::length_error);
    EXPECT_NO_THROW(sim::MakeIntelHex(Pattern(16), 0xFFFFFFF0u));
}

// ---------------------------------------------------------------------------------------------
// Round trips

struct RoundTrip {
    std::size_t size;
    std::uint32_t base;
};

class IntelHexRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(IntelHexRoundTrip, GivesTheBytesBackAsOneSegment) {
    const auto bytes = Pattern(GetParam().size);
    const sim::ParsedHex parsed = sim::ParseIntelHex(sim::MakeIntelHex(bytes, GetParam().base));
    ASSERT_TRUE(parsed.Ok()) << parsed.error;
    ASSERT_EQ(parsed.segments.size(), 1u);
    EXPECT_EQ(parsed.segments[0].address, GetParam().base);
    EXPECT_EQ(parsed.segments[0].bytes, bytes);
}

INSTANTIATE_TEST_SUITE_P(Images, IntelHexRoundTrip,
                         testing::Values(RoundTrip{1, 0}, RoundTrip{16, 0}, RoundTrip{4096, 0},
                                         RoundTrip{100, 0xFFF0},       // crosses 64 KiB
                                         RoundTrip{0x30005, 0x1FFFF},  // crosses three
                                         RoundTrip{17, 0x10001000}, RoundTrip{16, 0xFFFFFFF0u}));

// ---------------------------------------------------------------------------------------------
// Reading what other writers produce

TEST(ParseIntelHex, AcceptsLowerCaseDigitsLfLineEndsAndBlankLines) {
    const auto parsed = sim::ParseIntelHex(":03100000010203e7\n\n:00000001ff\n\n");
    ASSERT_TRUE(parsed.Ok()) << parsed.error;
    ASSERT_EQ(parsed.segments.size(), 1u);
    EXPECT_EQ(parsed.segments[0], (sim::HexSegment{0x1000, {1, 2, 3}}));
}

TEST(ParseIntelHex, WithoutAddressRecordsStartsAtZero) {
    const auto parsed = sim::ParseIntelHex(":0100000042BD\r\n:00000001FF");
    ASSERT_TRUE(parsed.Ok()) << parsed.error;
    EXPECT_EQ(parsed.segments[0], (sim::HexSegment{0, {0x42}}));
}

TEST(ParseIntelHex, ExtendedSegmentAddressShiftsByFourAndWrapsWithinTheSegment) {
    // Segment 0x1000 (base 0x10000); two bytes at offset 0xFFFF wrap to offset 0.
    const auto parsed = sim::ParseIntelHex(
        ":020000021000EC\r\n"
        ":02FFFF00AABB9B\r\n"
        ":00000001FF\r\n");
    ASSERT_TRUE(parsed.Ok()) << parsed.error;
    ASSERT_EQ(parsed.segments.size(), 2u);
    EXPECT_EQ(parsed.segments[0], (sim::HexSegment{0x1FFFF, {0xAA}}));
    EXPECT_EQ(parsed.segments[1], (sim::HexSegment{0x10000, {0xBB}}));
}

TEST(ParseIntelHex, IgnoresStartAddressRecords) {
    const auto parsed = sim::ParseIntelHex(
        ":0100000042BD\r\n"
        ":0400000300001234B3\r\n"
        ":0400000500001234B1\r\n"
        ":00000001FF\r\n");
    ASSERT_TRUE(parsed.Ok()) << parsed.error;
    ASSERT_EQ(parsed.segments.size(), 1u);
}

TEST(ParseIntelHex, KeepsSeparateRunsApartAndJoinsTouchingOnes) {
    const auto parsed = sim::ParseIntelHex(
        ":0100000011EE\r\n"
        ":0100010022DC\r\n"
        ":0100100033BC\r\n"
        ":00000001FF\r\n");
    ASSERT_TRUE(parsed.Ok()) << parsed.error;
    ASSERT_EQ(parsed.segments.size(), 2u);
    EXPECT_EQ(parsed.segments[0], (sim::HexSegment{0, {0x11, 0x22}}));
    EXPECT_EQ(parsed.segments[1], (sim::HexSegment{0x10, {0x33}}));
}

// ---------------------------------------------------------------------------------------------
// Invalid images: every error names its line

struct BadImage {
    const char* name;
    const char* text;
    const char* error;
};

class IntelHexErrors : public testing::TestWithParam<BadImage> {};

TEST_P(IntelHexErrors, NamesTheLineAndTheFault) {
    const auto parsed = sim::ParseIntelHex(GetParam().text);
    EXPECT_EQ(parsed.error, GetParam().error);
    EXPECT_TRUE(parsed.segments.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, IntelHexErrors,
    testing::Values(
        BadImage{"BadStartCode", ":0100000042BD\r\n;0100000042BD\r\n:00000001FF\r\n",
                 "line 2: does not start with ':' but with ';'"},
        BadImage{"InvalidDigit", ":01000000G2BD\r\n:00000001FF\r\n",
                 "line 1: invalid hexadecimal digit 'G' at column 10"},
        BadImage{"ControlCharacter",
                 ":010000004\x01"
                 "BD\r\n:00000001FF\r\n",
                 "line 1: invalid hexadecimal digit \\x01 at column 11"},
        BadImage{"OddDigits", ":0100000042B\r\n:00000001FF\r\n",
                 "line 1: odd number of hexadecimal digits (11)"},
        BadImage{"TooShort", ":00000001\r\n",
                 "line 1: record too short: 4 bytes, a record needs "
                 "at least 5"},
        BadImage{"CountTooLarge", ":0200000042BC\r\n:00000001FF\r\n",
                 "line 1: byte count says 2 data bytes, the record holds 1"},
        BadImage{"CountTooSmall", ":01000000424200\r\n:00000001FF\r\n",
                 "line 1: byte count says 1 data bytes, the record holds 2"},
        BadImage{"Checksum", ":0100000042BE\r\n:00000001FF\r\n",
                 "line 1: record checksum is 0xBE, expected 0xBD"},
        BadImage{"UnknownType", ":0100000642B7\r\n:00000001FF\r\n",
                 "line 1: unknown record type 0x06"},
        BadImage{"AddressRecordSize", ":0100000412E9\r\n:00000001FF\r\n",
                 "line 1: extended linear address record must hold 2 bytes, it holds 1"},
        BadImage{"EndWithData", ":01000001FFFF\r\n",
                 "line 1: end-of-file record must hold 0 bytes, it holds 1"},
        BadImage{"MissingEnd", ":0100000042BD\r\n:0100010043BB\r\n\r\n",
                 "line 2: the file ends without an end-of-file record (:00000001FF)"},
        BadImage{"EmptyFile", "",
                 "line 1: the file ends without an end-of-file record "
                 "(:00000001FF)"},
        BadImage{"DataAfterEnd", ":00000001FF\r\n\r\n:0100000042BD\r\n",
                 "line 3: data after the end-of-file record"},
        BadImage{"Overlap", ":020000001122CB\r\n:0100010033CB\r\n:00000001FF\r\n",
                 "line 2: data at 0x00000001 overlaps data placed before"},
        BadImage{"PastAddressSpace", ":02000004FFFFFC\r\n:02FFFF001122CD\r\n:00000001FF\r\n",
                 "line 2: data at 0xFFFFFFFF runs past the 32-bit address space"}),
    [](const testing::TestParamInfo<BadImage>& info) { return info.param.name; });

TEST(ParseIntelHex, FindsAFlippedDigitAnywhereInAGeneratedImage) {
    const std::string good = sim::MakeIntelHex(Pattern(4096), 0x8000);
    // Change one data digit of every 37th data record; each must fail its record checksum.
    const auto lines = Lines(good);
    std::size_t at = 0;
    for (std::size_t i = 0; i < lines.size(); ++i, at += lines[i - 1].size() + 2) {
        if (i % 37 != 1 || lines[i].substr(7, 2) != "00") {
            continue;
        }
        std::string bad = good;
        char& digit = bad[at + 10];
        digit = digit == '0' ? '1' : '0';
        EXPECT_EQ(ErrorOf(bad).rfind("line " + std::to_string(i + 1) + ": record checksum is", 0),
                  0u)
            << lines[i];
    }
}

}  // namespace
