#include "tool/hex_record.h"

#include <cctype>

namespace tool {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    const int lower = std::tolower(static_cast<unsigned char>(c));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

}  // namespace

std::optional<HexRecord> ParseHexRecord(std::string_view line) {
    if (line.size() < 11 || line[0] != ':' || line.size() % 2 == 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 1; i + 1 < line.size(); i += 2) {
        const int high = HexDigit(line[i]);
        const int low = HexDigit(line[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    std::uint8_t sum = 0;
    for (const std::uint8_t byte : bytes) {
        sum = static_cast<std::uint8_t>(sum + byte);
    }
    if (bytes.size() != std::size_t{bytes[0]} + 5 || sum != 0) {
        return std::nullopt;
    }
    HexRecord record;
    record.offset = std::uint32_t{bytes[1]} << 8 | bytes[2];
    record.type = bytes[3];
    record.data.assign(bytes.begin() + 4, bytes.end() - 1);
    return record;
}

std::uint32_t BaseOf(const HexRecord& record) {
    const std::uint32_t value =
        record.data.size() == 2 ? (std::uint32_t{record.data[0]} << 8 | record.data[1]) : 0;
    return record.type == 0x04 ? value << 16 : value << 4;
}

std::string HexLineEnd(std::string_view image) {
    const std::size_t end = image.find('\n');
    return end != std::string_view::npos && end > 0 && image[end - 1] == '\r' ? "\r\n" : "\n";
}

}  // namespace tool
