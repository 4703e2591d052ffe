#include "tool/core_split.h"

#include <algorithm>
#include <string_view>

#include "tool/hex_record.h"

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
    void Data(std::size_t core, std::string_view line, std::string_view baseLine,
              std::uint32_t address, std::size_t count) {
        CorePart& part = parts_[core];
        if (!baseLine.empty() && bases_[core] != baseLine) {
            Line(core, baseLine);
            bases_[core] = std::string(baseLine);
        }
        Line(core, line);
        if (count == 0) {
            return;
        }
        const auto last = static_cast<std::uint32_t>(address + count - 1);
        part.first = part.bytes == 0 ? address : std::min(part.first, address);
        part.last = part.bytes == 0 ? last : std::max(part.last, last);
        part.bytes += count;
    }
    void Line(std::size_t core, std::string_view line) {
        parts_[core].text += std::string(line) + lineEnd_;
    }
    std::vector<CorePart> Finish(std::string_view endLine) {
        for (std::size_t i = 0; i < parts_.size(); ++i) {
            Line(i, endLine.empty() ? ":00000001FF" : endLine);
        }
        return std::move(parts_);
    }

private:
    std::vector<CorePart> parts_;
    std::vector<std::string> bases_;
    std::string lineEnd_;
};

}  // namespace

SplitImage SplitByCores(const std::string& image, const std::vector<CoreFacts>& cores) {
    SplitImage split;
    PartWriter writer(cores.size(), HexLineEnd(image));
    std::string baseLine;
    std::string endLine;
    std::uint32_t base = 0;
    ForEachHexLine(image, [&](std::string_view line, std::size_t) {
        if (line.empty()) {
            return true;
        }
        const std::optional<HexRecord> record = ParseHexRecord(line);
        if (!record || record->type > 0x05) {
            split.badLine = std::string(line);
            return false;
        }
        if (record->type == 0x00) {
            const std::uint32_t address = base + record->offset;
            const auto count = static_cast<std::uint32_t>(record->data.size());
            const Placement placement = Place(cores, address, count == 0 ? 1 : count);
            if (!placement.core) {
                split.refusedAddress = placement.refused;
                return false;
            }
            writer.Data(*placement.core, line, baseLine, address, count);
        } else if (record->type == 0x01) {
            endLine = std::string(line);
            return false;
        } else if (record->type == 0x02 || record->type == 0x04) {
            base = BaseOf(*record);
            baseLine = std::string(line);
        } else if (!cores.empty()) {
            writer.Line(cores.size() - 1, line);  // where the chip starts
        }
        return true;
    });
    if (split.refusedAddress || !split.badLine.empty()) {
        return split;
    }
    split.parts = writer.Finish(endLine);
    return split;
}

}  // namespace tool
