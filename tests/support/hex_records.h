// Intel HEX record lines for tests that need an image of a given layout (a merged two-core image,
// a record at a chosen address), their checksums worked out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

inline std::string HexRecord(std::uint8_t type, std::uint16_t offset,
                             const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(data.size()),
                                       static_cast<std::uint8_t>(offset >> 8),
                                       static_cast<std::uint8_t>(offset), type};
    bytes.insert(bytes.end(), data.begin(), data.end());
    std::uint8_t sum = 0;
    for (const std::uint8_t b : bytes) {
        sum = static_cast<std::uint8_t>(sum + b);
    }
    bytes.push_back(static_cast<std::uint8_t>(0x100 - sum));
    static const char kDigits[] = "0123456789ABCDEF";
    std::string line = ":";
    for (const std::uint8_t b : bytes) {
        line += kDigits[b >> 4];
        line += kDigits[b & 15];
    }
    return line;
}

// The extended linear address record: the upper 16 bits of the addresses after it.
inline std::string HexBase(std::uint16_t upper) {
    return HexRecord(0x04, 0,
                     {static_cast<std::uint8_t>(upper >> 8), static_cast<std::uint8_t>(upper)});
}

inline const char kHexEnd[] = ":00000001FF";

}  // namespace test_support
