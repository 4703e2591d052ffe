#include "simulated_flash.h"

#include <algorithm>
#include <utility>

#include "files.h"

namespace sim {

SimulatedFlash SimulatedFlash::Load(const std::string& path) {
    if (!os::FileExists(path)) {
        return SimulatedFlash(path, std::vector<std::uint8_t>(kSize, kErased));
    }
    const std::string content = os::ReadWholeFile(path, os::Share::kRead);
    if (content.size() != kSize) {
        throw FlashFileError("The simulated flash " + path + " holds " +
                             std::to_string(content.size()) + " bytes instead of " +
                             std::to_string(kSize) + "; delete it to start with an erased device.");
    }
    return SimulatedFlash(path, std::vector<std::uint8_t>(content.begin(), content.end()));
}

void SimulatedFlash::Save() const {
    os::ReplaceFileContent(path_, std::string(bytes_.begin(), bytes_.end()));
}

std::optional<std::uint64_t> SimulatedFlash::FirstOutside(const std::vector<HexSegment>& image) {
    for (const HexSegment& segment : image) {
        const std::uint64_t end = std::uint64_t{segment.address} + segment.bytes.size();
        if (end > kSize) {
            return std::max<std::uint64_t>(segment.address, kSize);
        }
    }
    return std::nullopt;
}

std::optional<std::uint32_t> SimulatedFlash::FirstUnerased(
    const std::vector<HexSegment>& image) const {
    for (const HexSegment& segment : image) {
        const auto begin = bytes_.begin() + segment.address;
        const auto found =
            std::find_if(begin, begin + static_cast<std::ptrdiff_t>(segment.bytes.size()),
                         [](std::uint8_t b) { return b != kErased; });
        if (found != begin + static_cast<std::ptrdiff_t>(segment.bytes.size())) {
            return static_cast<std::uint32_t>(found - bytes_.begin());
        }
    }
    return std::nullopt;
}

void SimulatedFlash::EraseAll() {
    std::fill(bytes_.begin(), bytes_.end(), kErased);
}

void SimulatedFlash::ErasePages(const std::vector<HexSegment>& image) {
    for (const HexSegment& segment : image) {
        if (segment.bytes.empty()) {
            continue;
        }
        const std::size_t first = segment.address / kPageSize * kPageSize;
        const std::size_t last = (segment.address + segment.bytes.size() - 1) / kPageSize;
        std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(first),
                  bytes_.begin() + static_cast<std::ptrdiff_t>((last + 1) * kPageSize), kErased);
    }
}

void SimulatedFlash::Write(const std::vector<HexSegment>& image) {
    for (const HexSegment& segment : image) {
        std::copy(segment.bytes.begin(), segment.bytes.end(), bytes_.begin() + segment.address);
    }
}

void SimulatedFlash::Damage(std::uint32_t address) {
    bytes_.at(address) ^= 0x01;
}

std::optional<SimulatedFlash::Mismatch> SimulatedFlash::Compare(
    const std::vector<HexSegment>& image) const {
    for (const HexSegment& segment : image) {
        for (std::size_t i = 0; i < segment.bytes.size(); ++i) {
            const std::uint8_t found = bytes_[segment.address + i];
            if (found != segment.bytes[i]) {
                return Mismatch{static_cast<std::uint32_t>(segment.address + i), segment.bytes[i],
                                found};
            }
        }
    }
    return std::nullopt;
}

}  // namespace sim
