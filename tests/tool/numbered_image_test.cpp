// A board's own image: the checked image with the number's word added, and the images that must
// not take it (they write a byte of the word themselves, or are no Intel HEX).
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "hex_records.h"
#include "tool/numbered_image.h"

namespace {

using test_support::HexBase;
using test_support::HexRecord;
using test_support::kHexEnd;

constexpr std::uint32_t kWord = 0x10001080;

std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

const std::string kApp = Lines({HexRecord(0, 0, {1, 2, 3, 4}), kHexEnd});

struct ClashCase {
    const char* name;
    std::string image;
    std::optional<std::uint32_t> address;  // the first byte of the word the image writes
    bool fault = false;                    // the image is no sound Intel HEX

    friend void PrintTo(const ClashCase& c, std::ostream* out) { *out << c.name; }
};

class WordClash : public ::testing::TestWithParam<ClashCase> {};

TEST_P(WordClash, FindsTheImagesOwnByteInTheWord) {
    const tool::WordClash clash = tool::FindWordClash(GetParam().image, kWord);
    EXPECT_EQ(clash.address, GetParam().address);
    EXPECT_EQ(clash.fault.has_value(), GetParam().fault);
}

INSTANTIATE_TEST_SUITE_P(
    Images, WordClash,
    ::testing::Values(
        ClashCase{"Free", kApp, std::nullopt},
        ClashCase{"JustBelow",
                  Lines({HexBase(0x1000), HexRecord(0, 0x107C, {1, 2, 3, 4}), kHexEnd}),
                  std::nullopt},
        ClashCase{"JustAbove", Lines({HexBase(0x1000), HexRecord(0, 0x1084, {1}), kHexEnd}),
                  std::nullopt},
        ClashCase{"OverItsFirstByte",
                  Lines({HexBase(0x1000), HexRecord(0, 0x107D, {1, 2, 3, 4}), kHexEnd}), kWord},
        ClashCase{"InsideIt", Lines({HexBase(0x1000), HexRecord(0, 0x1082, {9}), kHexEnd}),
                  kWord + 2},
        ClashCase{"SameOffsetOtherBase",
                  Lines({HexBase(0x0000), HexRecord(0, 0x1080, {9}), kHexEnd}), std::nullopt},
        // Two images joined by "copy /b": the second one's word is not overlooked.
        ClashCase{"AfterTheEnd", kApp + Lines({HexBase(0x1000), HexRecord(0, 0x1080, {9})}),
                  std::nullopt, true},
        ClashCase{"NoEnd", Lines({HexBase(0x1000), HexRecord(0, 0x1080, {9})}), std::nullopt, true},
        ClashCase{"NoRecord", Lines({HexRecord(0, 0, {1}), "S00F000068656C6C6F"}), std::nullopt,
                  true}),
    [](const auto& info) { return std::string(info.param.name); });

// The word goes in little-endian, as the chip stores it, with its own address record, before the
// end-of-file record; the image's lines stay as they were, in its own line end.
TEST(NumberedImage, IsTheImagePlusTheWordBeforeItsEnd) {
    const std::string word =
        HexBase(0x1000) + "\r\n" + HexRecord(0, 0x1080, {0xA0, 0x86, 0x01, 0x00}) + "\r\n";
    EXPECT_EQ(tool::WithWord(kApp, kWord, 100000),
              Lines({HexRecord(0, 0, {1, 2, 3, 4})}) + word + kHexEnd + "\r\n");
    // An image cut short gets no end-of-file record of the station's making: it takes no word.
    EXPECT_EQ(tool::WithWord(HexRecord(0, 0, {1}) + "\n", kWord, 100000), std::nullopt);
}

}  // namespace
