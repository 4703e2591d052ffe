// Intel HEX images: writing one from a block of bytes, and reading one back into the data it
// places in memory. Used by the stand-in programmer (which really parses the images it is given),
// by hexgen and by the tests that lay out station folders.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// The text of an Intel HEX file that places bytes at baseAddress onwards: an extended linear
// address record (type 04) first and whenever the upper 16 bits of the address change, data
// records of at most 16 bytes that never cross a 64 KiB boundary, and the end-of-file record
// ":00000001FF". Upper-case hexadecimal digits, every line ends in CR LF.
// Throws std::length_error when the bytes would run past the 32-bit address space.
// An address as "0x" and eight upper-case hexadecimal digits, a byte as "0x" and two; for
// messages.
std::string Hex32(std::uint64_t value);
std::string Hex8(unsigned value);

std::string MakeIntelHex(const std::vector<std::uint8_t>& bytes, std::uint32_t baseAddress);

// A run of bytes at consecutive addresses.
struct HexSegment {
    std::uint32_t address = 0;
    std::vector<std::uint8_t> bytes;

    friend bool operator==(const HexSegment& a, const HexSegment& b) {
        return a.address == b.address && a.bytes == b.bytes;
    }
};

// What ParseIntelHex found: the data, or why the text is not a valid image.
struct ParsedHex {
    // The data in file order; records that continue where the previous one ended are joined
    // into one segment.
    std::vector<HexSegment> segments;
    // Empty for a valid image; otherwise names the line (counted from 1) and what is wrong,
    // e.g. "line 3: record checksum is 0x12, expected 0x34". segments is empty then.
    std::string error;

    bool Ok() const { return error.empty(); }
};

// Reads an Intel HEX text with the station's own reader (tool/intel_hex.h), so the stand-ins
// refuse exactly what the station refuses, and words its first fault as the stand-ins say it:
// a line that does not start with ':', an odd count or invalid hexadecimal digits, a byte count
// that does not match the record, a record checksum error, an unknown record type, a record of
// the wrong size for its type, data that overlaps data placed before, data past the 32-bit
// address space, a missing end-of-file record and anything but blank lines after it. Start
// address records are accepted and ignored.
ParsedHex ParseIntelHex(std::string_view text);

}  // namespace sim
