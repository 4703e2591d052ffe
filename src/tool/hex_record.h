// One line of an Intel HEX image read as a record: its type, its 16-bit address field and its
// data, the checksum tested. Pure functions; they never throw.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tool {

struct HexRecord {
    std::uint8_t type = 0;     // 0x00 data, 0x01 end of file, 0x02/0x04 address, 0x03/0x05 start
    std::uint32_t offset = 0;  // the record's 16-bit address field
    std::vector<std::uint8_t> data;
};

// The record a line holds (without its line end); nothing when it is no record or its checksum
// does not add up.
std::optional<HexRecord> ParseHexRecord(std::string_view line);

// The base address an extended address record (0x02 segment, 0x04 linear) sets.
std::uint32_t BaseOf(const HexRecord& record);

}  // namespace tool
