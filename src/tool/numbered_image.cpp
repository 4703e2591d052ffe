#include "tool/numbered_image.h"

#include <cstdio>
#include <string_view>
#include <vector>

#include "tool/hex_record.h"

namespace tool {

namespace {

constexpr std::uint32_t kWordBytes = 4;

// A record's text: ":", count, address, type, data and checksum in upper-case hexadecimal.
std::string RecordText(std::uint8_t type, std::uint16_t offset,
                       const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(data.size()),
                                       static_cast<std::uint8_t>(offset >> 8),
                                       static_cast<std::uint8_t>(offset & 0xFF), type};
    bytes.insert(bytes.end(), data.begin(), data.end());
    std::uint8_t sum = 0;
    for (const std::uint8_t byte : bytes) {
        sum = static_cast<std::uint8_t>(sum + byte);
    }
    bytes.push_back(static_cast<std::uint8_t>(0x100 - sum));
    std::string text = ":";
    for (const std::uint8_t byte : bytes) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", byte);
        text += digits;
    }
    return text;
}

}  // namespace

WordClash FindWordClash(const std::string& image, std::uint32_t address) {
    WordClash clash;
    std::uint32_t base = 0;
    ForEachHexLine(image, [&](std::string_view line, std::size_t) {
        if (line.empty()) {
            return true;
        }
        const std::optional<HexRecord> record = ParseHexRecord(line);
        if (!record || record->type > 0x05) {
            clash.badLine = std::string(line);
            return false;
        }
        if (record->type == 0x01) {
            return false;
        }
        if (record->type == 0x02 || record->type == 0x04) {
            base = BaseOf(*record);
        } else if (record->type == 0x00) {
            for (std::uint32_t i = 0; i < record->data.size(); ++i) {
                const std::uint32_t at = base + record->offset + i;
                if (at - address < kWordBytes) {
                    clash.address = at;
                    return false;
                }
            }
        }
        return true;
    });
    return clash;
}

std::string WithWord(const std::string& image, std::uint32_t address, std::uint32_t value) {
    const std::string end = HexLineEnd(image);
    const std::string word =
        RecordText(
            0x04, 0,
            {static_cast<std::uint8_t>(address >> 24), static_cast<std::uint8_t>(address >> 16)}) +
        end +
        RecordText(
            0x00, static_cast<std::uint16_t>(address & 0xFFFF),
            {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
             static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)}) +
        end;
    std::optional<std::size_t> endOfFile;
    ForEachHexLine(image, [&](std::string_view line, std::size_t at) {
        const std::optional<HexRecord> record = ParseHexRecord(line);
        if (record && record->type == 0x01) {
            endOfFile = at;
            return false;
        }
        return true;
    });
    if (endOfFile) {
        return image.substr(0, *endOfFile) + word + image.substr(*endOfFile);
    }
    const bool ended = image.empty() || image.back() == '\n';
    return image + (ended ? "" : end) + word + ":00000001FF" + end;
}

}  // namespace tool
