// Memory as the stand-ins show it and the numbers their command lines take.
//
// Memory as nrfjprog --memrd prints it (and nrfutil device read without --json):
//   0x10000060: 12345678 F00DCAFE                     |xV4.....|
// a line per 16 bytes: the line's address, a colon, the bytes in units of 8, 16 or 32 bits, each
// shown as its little-endian value in upper-case hexadecimal, padded to a full line's width,
// then the bytes as ASCII between bars ('.' for what is not printable).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// The lines for bytes read from address on; bytes.size() is a multiple of widthBits / 8.
std::vector<std::string> MemoryLines(std::uint32_t address, const std::vector<std::uint8_t>& bytes,
                                     unsigned widthBits);

// A number as the chip maker's tools take it: "0x" and hexadecimal digits, or decimal digits;
// nothing when it is anything else or not below 2^32.
std::optional<std::uint32_t> ParseToolNumber(const std::string& text);

}  // namespace sim
