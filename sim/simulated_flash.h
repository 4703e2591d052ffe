// The stand-in programmer's non-volatile memory: 1 MiB of code flash from address 0 (or the
// layout's own), kept in a
// file ("flash.bin" beside the program), and the one page of UICR (the chip's user information
// registers) at the family's address, kept in a file beside it (the flash file's name with
// ".uicr" in place of ".bin"), present only while a UICR byte is written. Erased bytes are 0xFF;
// a file that does not exist yet is erased memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "intel_hex.h"

namespace sim {

// A memory file exists but cannot be the device's (wrong size).
class FlashFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where the memory sits: flashSize bytes of code flash from flashBase, the UICR page at
// uicrBase. A two-core chip's network core has its own: 256 KiB from 0x01000000, UICR at
// 0x01FF8000.
struct FlashLayout {
    std::uint32_t uicrBase = 0x10001000;
    std::uint32_t flashBase = 0;
    std::size_t flashSize = 1024 * 1024;

    // The place of the count bytes at address among the memory's bytes (code flash first, then
    // UICR), when they all lie in one of the two; nothing otherwise.
    std::optional<std::size_t> Offset(std::uint64_t address, std::size_t count) const;
    // The first address of the image that lies outside the code flash and the UICR, if any.
    std::optional<std::uint64_t> FirstOutside(const std::vector<HexSegment>& image) const;
};

class SimulatedFlash {
public:
    static constexpr std::size_t kSize = 1024 * 1024;
    static constexpr std::size_t kPageSize = 4096;
    static constexpr std::size_t kUicrSize = kPageSize;
    static constexpr std::uint8_t kErased = 0xFF;

    // Reads the memory from its files; what has no file yet is erased.
    // Throws os::FileError when a file cannot be read, FlashFileError when its size is wrong.
    static SimulatedFlash Load(const std::string& path, FlashLayout layout);
    // Writes the memory to its files (each replaced in one step). Throws os::FileError.
    void Save() const;

    const FlashLayout& Layout() const { return layout_; }

    // The first address the image writes that is not erased, if any. The image must fit.
    std::optional<std::uint32_t> FirstUnerased(const std::vector<HexSegment>& image) const;

    // Erases the code flash and the UICR.
    void EraseAll();
    // Erases every page the image writes to. The image must fit.
    void ErasePages(const std::vector<HexSegment>& image);
    // Writes the image's bytes. The image must fit.
    void Write(const std::vector<HexSegment>& image);
    // Flips the lowest bit of one byte: how a failing write is rehearsed.
    void Damage(std::uint32_t address);

    struct Mismatch {
        std::uint32_t address;
        std::uint8_t expected;
        std::uint8_t found;
    };
    // The first byte where the memory differs from the image, if any. The image must fit.
    std::optional<Mismatch> Compare(const std::vector<HexSegment>& image) const;

    // The count bytes at address; nothing when they do not all lie in one region.
    std::optional<std::vector<std::uint8_t>> Read(std::uint32_t address, std::size_t count) const;
    // True when the 32-bit word at address is erased and now holds value (little-endian); false
    // when it was not erased. The word must lie in one region.
    bool WriteErasedWord(std::uint32_t address, std::uint32_t value);

private:
    SimulatedFlash(std::string path, FlashLayout layout, std::vector<std::uint8_t> bytes)
        : path_(std::move(path)), layout_(layout), bytes_(std::move(bytes)) {}

    std::size_t OffsetOf(const HexSegment& segment) const;

    std::string path_;
    FlashLayout layout_;
    std::vector<std::uint8_t> bytes_;  // the code flash, then the UICR
};

}  // namespace sim
