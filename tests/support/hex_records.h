// Intel HEX record lines for tests that need an image of a given layout (a merged two-core image,
// a record at a chosen address), their checksums worked out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tool/intel_hex.h"

namespace test_support {

inline std::string HexRecord(std::uint8_t type, std::uint16_t offset,
                             const std::vector<std::uint8_t>& data) {
    return tool::HexRecordText(type, offset, data);
}

// The extended linear address record: the upper 16 bits of the addresses after it.
inline std::string HexBase(std::uint16_t upper) {
    return HexRecord(0x04, 0,
                     {static_cast<std::uint8_t>(upper >> 8), static_cast<std::uint8_t>(upper)});
}

inline const char kHexEnd[] = ":00000001FF";

}  // namespace test_support
