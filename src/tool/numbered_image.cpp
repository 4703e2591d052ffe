#include "tool/numbered_image.h"

#include <vector>

namespace tool {

namespace {

constexpr std::uint32_t kWordBytes = 4;

WordClash ClashIn(const IntelHex& read, std::uint32_t address) {
    WordClash clash;
    clash.fault = read.fault;
    for (const HexRecord& record : read.records) {
        for (const HexRun& run : record.runs) {
            for (std::uint32_t i = 0; i < run.count; ++i) {
                if (run.address + i - address < kWordBytes) {
                    clash.address = run.address + i;
                    clash.line = record.line;
                    return clash;
                }
            }
        }
    }
    return clash;
}

}  // namespace

WordClash FindWordClash(std::string_view image, std::uint32_t address) {
    return ClashIn(ReadIntelHex(image), address);
}

std::optional<std::string> WithWord(std::string_view image, std::uint32_t address,
                                    std::uint32_t value) {
    const IntelHex read = ReadIntelHex(image);
    if (ClashIn(read, address).Any()) {
        return std::nullopt;
    }
    const std::string end = HexLineEnd(image);
    const std::string word =
        HexRecordText(
            0x04, 0,
            {static_cast<std::uint8_t>(address >> 24), static_cast<std::uint8_t>(address >> 16)}) +
        end +
        HexRecordText(
            0x00, static_cast<std::uint16_t>(address & 0xFFFF),
            {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
             static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)}) +
        end;
    const std::size_t endOfFile = read.records.back().at;  // a sound image ends with it
    return std::string(image.substr(0, endOfFile)) + word + std::string(image.substr(endOfFile));
}

}  // namespace tool
