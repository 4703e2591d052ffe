#include "tool/core_split.h"

#include <algorithm>
#include <string_view>

namespace tool {

namespace {

// The core holding all of the count bytes at address, or the first of them no core holds.
struct Placement {
    std::optional<std::size_t> core;
    std::uint32_t refused = 0;
};

Placement Place(const std::vector<CoreFacts>& cores, std::uint32_t address, std::uint32_t count) {
    for (std::size_t i = 0; i < cores.size(); ++i) {
        if (cores[i].Holds(address, count)) {
            return {i, 0};
        }
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        const bool held = std::any_of(cores.begin(), cores.end(), [&](const CoreFacts& core) {
            return core.Holds(address + i, 1);
        });
        if (!held) {
            return {std::nullopt, address + i};
        }
    }
    return {std::nullopt, address};  // held, but by two cores at once
}

// Builds the parts: each keeps the address record its next data record needs.
class PartWriter {
public:
    PartWriter(std::size_t cores, std::string lineEnd)
        : parts_(cores), bases_(cores), lineEnd_(std::move(lineEnd)) {
        for (std::size_t i = 0; i < cores; ++i) {
            parts_[i].core = i;
        }
    }
    void Data(std::size_t core, const HexRecord& record, std::string_view baseLine) {
        CorePart& part = parts_[core];
        if (!baseLine.empty() && bases_[core] != baseLine) {
            Line(core, baseLine);
            bases_[core] = std::string(baseLine);
        }
        Line(core, record.text);
        for (const HexRun& run : record.runs) {
            const auto last = static_cast<std::uint32_t>(run.address + run.count - 1);
            part.first = part.bytes == 0 ? run.address : std::min(part.first, run.address);
            part.last = part.bytes == 0 ? last : std::max(part.last, last);
            part.bytes += run.count;
        }
    }
    void Line(std::size_t core, std::string_view line) {
        parts_[core].text += std::string(line) + lineEnd_;
    }
    // Every part ends with the image's own end-of-file record.
    std::vector<CorePart> Finish(std::string_view endLine) {
        for (std::size_t i = 0; i < parts_.size(); ++i) {
            Line(i, endLine);
        }
        return std::move(parts_);
    }

private:
    std::vector<CorePart> parts_;
    std::vector<std::string> bases_;
    std::string lineEnd_;
};

// The one core holding every byte the data record writes (an empty record: its address).
Placement PlaceRecord(const std::vector<CoreFacts>& cores, const HexRecord& record,
                      std::uint32_t base) {
    if (record.runs.empty()) {
        return Place(cores, base + record.offset, 1);
    }
    Placement placement;
    for (const HexRun& run : record.runs) {
        const Placement piece = Place(cores, run.address, static_cast<std::uint32_t>(run.count));
        if (!piece.core || (placement.core && placement.core != piece.core)) {
            return {std::nullopt, piece.core ? run.address : piece.refused};
        }
        placement = piece;
    }
    return placement;
}

}  // namespace

SplitImage SplitByCores(std::string_view image, const std::vector<CoreFacts>& cores) {
    SplitImage split;
    const IntelHex read = ReadIntelHex(image);
    if (!read.Ok()) {
        split.fault = read.fault;
        return split;
    }
    PartWriter writer(cores.size(), HexLineEnd(image));
    std::string_view baseLine;
    std::uint32_t base = 0;
    for (const HexRecord& record : read.records) {
        if (record.type == 0x00) {
            const Placement placement = PlaceRecord(cores, record, base);
            if (!placement.core) {
                split.refusedAddress = placement.refused;
                split.refusedLine = record.line;
                return split;
            }
            writer.Data(*placement.core, record, baseLine);
        } else if (record.type == 0x02 || record.type == 0x04) {
            const std::uint32_t value = std::uint32_t{record.data[0]} << 8 | record.data[1];
            base = record.type == 0x04 ? value << 16 : value << 4;
            baseLine = record.text;
        } else if (record.type != 0x01 && !cores.empty()) {
            writer.Line(cores.size() - 1, record.text);  // where the chip starts
        }
    }
    split.parts = writer.Finish(read.records.back().text);
    return split;
}

}  // namespace tool
