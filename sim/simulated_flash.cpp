#include "simulated_flash.h"

#include <algorithm>
#include <utility>

#include "platform/files.h"
#include "simulated_probes.h"

namespace sim {

namespace {

constexpr char kUicrSuffix[] = ".uicr";

// The bytes of a memory file; erased bytes when there is none yet.
std::string ReadMemoryFile(const std::string& path, std::size_t size) {
    if (!os::FileExists(path)) {
        return std::string(size, static_cast<char>(SimulatedFlash::kErased));
    }
    std::string content = os::ReadWholeFile(path, os::Share::kRead);
    if (content.size() != size) {
        throw FlashFileError("The simulated flash " + path + " holds " +
                             std::to_string(content.size()) + " bytes instead of " +
                             std::to_string(size) + "; delete it to start with an erased device.");
    }
    return content;
}

bool AllErased(std::vector<std::uint8_t>::const_iterator begin,
               std::vector<std::uint8_t>::const_iterator end) {
    return std::all_of(begin, end, [](std::uint8_t b) { return b == SimulatedFlash::kErased; });
}

}  // namespace

std::optional<std::size_t> FlashLayout::Offset(std::uint64_t address, std::size_t count) const {
    const std::uint64_t end = address + count;
    if (address >= flashBase && end <= flashBase + std::uint64_t{flashSize}) {
        return static_cast<std::size_t>(address - flashBase);
    }
    if (address >= uicrBase && end <= std::uint64_t{uicrBase} + SimulatedFlash::kUicrSize) {
        return flashSize + static_cast<std::size_t>(address - uicrBase);
    }
    return std::nullopt;
}

std::optional<std::uint64_t> FlashLayout::FirstOutside(const std::vector<HexSegment>& image) const {
    for (const HexSegment& segment : image) {
        if (Offset(segment.address, segment.bytes.size())) {
            continue;
        }
        const std::uint64_t start = segment.address;
        const std::uint64_t flashEnd = flashBase + std::uint64_t{flashSize};
        if (start >= flashBase && start < flashEnd) {
            return flashEnd;
        }
        if (start >= uicrBase && start < std::uint64_t{uicrBase} + SimulatedFlash::kUicrSize) {
            return std::uint64_t{uicrBase} + SimulatedFlash::kUicrSize;
        }
        return start;
    }
    return std::nullopt;
}

SimulatedFlash SimulatedFlash::Load(const std::string& path, FlashLayout layout) {
    const std::string code = ReadMemoryFile(path, layout.flashSize);
    const std::string uicr = ReadMemoryFile(ChipFilePath(path, kUicrSuffix), kUicrSize);
    std::vector<std::uint8_t> bytes(code.begin(), code.end());
    bytes.insert(bytes.end(), uicr.begin(), uicr.end());
    return SimulatedFlash(path, layout, std::move(bytes));
}

void SimulatedFlash::Save() const {
    const auto uicr = bytes_.begin() + static_cast<std::ptrdiff_t>(layout_.flashSize);
    os::ReplaceFileContent(path_, std::string(bytes_.begin(), uicr));
    const std::string uicrPath = ChipFilePath(path_, kUicrSuffix);
    if (AllErased(uicr, bytes_.end())) {
        os::RemoveFile(uicrPath);
    } else {
        os::ReplaceFileContent(uicrPath, std::string(uicr, bytes_.end()));
    }
}

std::size_t SimulatedFlash::OffsetOf(const HexSegment& segment) const {
    return layout_.Offset(segment.address, segment.bytes.size()).value();
}

std::optional<std::uint32_t> SimulatedFlash::FirstUnerased(
    const std::vector<HexSegment>& image) const {
    for (const HexSegment& segment : image) {
        const std::size_t offset = OffsetOf(segment);
        for (std::size_t i = 0; i < segment.bytes.size(); ++i) {
            if (bytes_[offset + i] != kErased) {
                return static_cast<std::uint32_t>(segment.address + i);
            }
        }
    }
    return std::nullopt;
}

void SimulatedFlash::EraseAll() {
    std::fill(bytes_.begin(), bytes_.end(), kErased);
}

void SimulatedFlash::ErasePages(const std::vector<HexSegment>& image) {
    // Both regions start on a page boundary of the bytes, so pages are counted in offsets.
    for (const HexSegment& segment : image) {
        if (segment.bytes.empty()) {
            continue;
        }
        const std::size_t offset = OffsetOf(segment);
        const std::size_t first = offset / kPageSize * kPageSize;
        const std::size_t last = (offset + segment.bytes.size() - 1) / kPageSize;
        std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(first),
                  bytes_.begin() + static_cast<std::ptrdiff_t>((last + 1) * kPageSize), kErased);
    }
}

void SimulatedFlash::Write(const std::vector<HexSegment>& image) {
    for (const HexSegment& segment : image) {
        std::copy(segment.bytes.begin(), segment.bytes.end(),
                  bytes_.begin() + static_cast<std::ptrdiff_t>(OffsetOf(segment)));
    }
}

void SimulatedFlash::Damage(std::uint32_t address) {
    bytes_.at(layout_.Offset(address, 1).value()) ^= 0x01;
}

std::optional<SimulatedFlash::Mismatch> SimulatedFlash::Compare(
    const std::vector<HexSegment>& image) const {
    for (const HexSegment& segment : image) {
        const std::size_t offset = OffsetOf(segment);
        for (std::size_t i = 0; i < segment.bytes.size(); ++i) {
            const std::uint8_t found = bytes_[offset + i];
            if (found != segment.bytes[i]) {
                return Mismatch{static_cast<std::uint32_t>(segment.address + i), segment.bytes[i],
                                found};
            }
        }
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> SimulatedFlash::Read(std::uint32_t address,
                                                              std::size_t count) const {
    const auto offset = layout_.Offset(address, count);
    if (!offset) {
        return std::nullopt;
    }
    const auto begin = bytes_.begin() + static_cast<std::ptrdiff_t>(*offset);
    return std::vector<std::uint8_t>(begin, begin + static_cast<std::ptrdiff_t>(count));
}

bool SimulatedFlash::WriteErasedWord(std::uint32_t address, std::uint32_t value) {
    const auto begin =
        bytes_.begin() + static_cast<std::ptrdiff_t>(layout_.Offset(address, 4).value());
    if (!AllErased(begin, begin + 4)) {
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        begin[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    return true;
}

}  // namespace sim
