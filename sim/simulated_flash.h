// The stand-in programmer's device: 1 MiB of flash kept in a file ("flash.bin" beside the
// program). Erased bytes are 0xFF; a file that does not exist yet is a fully erased device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "intel_hex.h"

namespace sim {

// The flash file exists but cannot be the device's flash (wrong size).
class FlashFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class SimulatedFlash {
public:
    static constexpr std::size_t kSize = 1024 * 1024;
    static constexpr std::size_t kPageSize = 4096;
    static constexpr std::uint8_t kErased = 0xFF;

    // Reads the flash from its file, or an erased flash when the file does not exist.
    // Throws os::FileError when the file cannot be read, FlashFileError when its size is wrong.
    static SimulatedFlash Load(const std::string& path);
    // Writes the whole flash to its file (replaced in one step). Throws os::FileError.
    void Save() const;

    // The first address of the image outside the flash, if any.
    static std::optional<std::uint64_t> FirstOutside(const std::vector<HexSegment>& image);
    // The first address the image writes that is not erased, if any. The image must fit.
    std::optional<std::uint32_t> FirstUnerased(const std::vector<HexSegment>& image) const;

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
    // The first byte where the flash differs from the image, if any. The image must fit.
    std::optional<Mismatch> Compare(const std::vector<HexSegment>& image) const;

private:
    SimulatedFlash(std::string path, std::vector<std::uint8_t> bytes)
        : path_(std::move(path)), bytes_(std::move(bytes)) {}

    std::string path_;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace sim
