// A board's own image: the checked Intel HEX image with the serial number's 32-bit word added,
// little-endian as the chip stores it, so that one programming call writes and verifies both.
// The image's own lines stay as they are; the word's two records (its extended linear address
// and its four data bytes) go just before the end-of-file record. Pure functions; they never
// throw.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tool {

// What keeps a word out of an image: a byte the image itself writes there, or a line that is no
// record (so what the image writes is not known).
struct WordClash {
    std::optional<std::uint32_t> address;  // the first of the word's bytes the image writes
    std::string badLine;                   // the first line that is no Intel HEX record

    bool Any() const { return address || !badLine.empty(); }
};

// Whether the image writes any of the four bytes at address.
WordClash FindWordClash(const std::string& image, std::uint32_t address);

// The image with value's word at address; the line end is the image's. Call it only for an
// image FindWordClash found nothing in.
std::string WithWord(const std::string& image, std::uint32_t address, std::uint32_t value);

}  // namespace tool
