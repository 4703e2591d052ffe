#include "tool/core_split.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace tool {

namespace {

struct Record {
    std::uint8_t type = 0;
    std::uint32_t offset = 0;  // the record's 16-bit address field
    std::vector<std::uint8_t> data;
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    const int lower = std::tolower(static_cast<unsigned char>(c));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// The record a line holds (its checksum tested); nothing when it is no record.
std::optional<Record> ParseRecord(std::string_view line) {
    if (line.size() < 11 || line[0] != ':' || line.size() % 2 == 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 1; i + 1 < line.size(); i += 2) {
        const int high = HexDigit(line[i]);
        const int low = HexDigit(line[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    std::uint8_t sum = 0;
    for (const std::uint8_t byte : bytes) {
        sum = static_cast<std::uint8_t>(sum + byte);
    }
    if (bytes.size() != std::size_t{bytes[0]} + 5 || sum != 0) {
        return std::nullopt;
    }
    Record record;
    record.offset = std::uint32_t{bytes[1]} << 8 | bytes[2];
    record.type = bytes[3];
    record.data.assign(bytes.begin() + 4, bytes.end() - 1);
    return record;
}

// The base address an extended address record sets.
std::uint32_t BaseOf(const Record& record) {
    const std::uint32_t value =
        record.data.size() == 2 ? (std::uint32_t{record.data[0]} << 8 | record.data[1]) : 0;
    return record.type == 0x04 ? value << 16 : value << 4;
}

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

std::string LineEndOf(const std::string& image) {
    const std::size_t end = image.find('\n');
    return end != std::string::npos && end > 0 && image[end - 1] == '\r' ? "\r\n" : "\n";
}

}  // namespace

SplitImage SplitByCores(const std::string& image, const std::vector<CoreFacts>& cores) {
    SplitImage split;
    PartWriter writer(cores.size(), LineEndOf(image));
    std::string baseLine;
    std::string endLine;
    std::uint32_t base = 0;
    std::size_t from = 0;
    while (from < image.size() && endLine.empty()) {
        std::size_t to = image.find('\n', from);
        to = to == std::string::npos ? image.size() : to;
        std::string_view line(image.data() + from, to - from);
        from = to + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.remove_suffix(1);
        }
        if (line.empty()) {
            continue;
        }
        const std::optional<Record> record = ParseRecord(line);
        if (!record || record->type > 0x05) {
            split.badLine = std::string(line);
            return split;
        }
        if (record->type == 0x00) {
            const std::uint32_t address = base + record->offset;
            const auto count = static_cast<std::uint32_t>(record->data.size());
            const Placement placement = Place(cores, address, count == 0 ? 1 : count);
            if (!placement.core) {
                split.refusedAddress = placement.refused;
                return split;
            }
            writer.Data(*placement.core, line, baseLine, address, count);
        } else if (record->type == 0x01) {
            endLine = std::string(line);
        } else if (record->type == 0x02 || record->type == 0x04) {
            base = BaseOf(*record);
            baseLine = std::string(line);
        } else if (!cores.empty()) {
            writer.Line(cores.size() - 1, line);  // where the chip starts
        }
    }
    split.parts = writer.Finish(endLine);
    return split;
}

}  // namespace tool
