// A board's own image: the checked Intel HEX image with the serial number's 32-bit word added,
// little-endian as the chip stores it, so that one programming call writes and verifies both.
// The image's own lines stay as they are; the word's two records (its extended linear address
// and its four data bytes) go just before the end-of-file record. The image is read by the one
// strict reader (intel_hex.h): an image it refuses takes no word, and no end-of-file record is
// ever added to one that has none (it may have been cut short). Pure functions; they never
// throw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tool/intel_hex.h"

namespace tool {

// What keeps a word out of an image: a byte the image itself writes there, or a fault of the
// image (so what it writes is not known).
struct WordClash {
    std::optional<std::uint32_t> address;  // the first of the word's bytes the image writes
    std::size_t line = 0;                  // the line of the record that writes it
    std::optional<HexFault> fault;         // why the image is no sound Intel HEX

    bool Any() const { return address || fault; }
};

// Whether the image writes any of the four bytes at address.
WordClash FindWordClash(std::string_view image, std::uint32_t address);

// The image with value's word at address; the line end is the image's. Nothing for an image
// FindWordClash finds anything in.
std::optional<std::string> WithWord(std::string_view image, std::uint32_t address,
                                    std::uint32_t value);

}  // namespace tool
