// One line of an Intel HEX image read as a record: its type, its 16-bit address field and its
// data, the checksum tested. Pure functions; they never throw.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tool {

struct HexRecord {
    std::uint8_t type = 0;     // 0x00 data, 0x01 end of file, 0x02/0x04 address, 0x03/0x05 start
    std::uint32_t offset = 0;  // the record's 16-bit address field
    std::vector<std::uint8_t> data;
};

// The record a line holds (without its line end); nothing when it is no record or its checksum
// does not add up.
std::optional<HexRecord> ParseHexRecord(std::string_view line);

// The base address an extended address record (0x02 segment, 0x04 linear) sets.
std::uint32_t BaseOf(const HexRecord& record);

// Calls visit(line, start) for each line of image in order, line without its line end and the
// carriage returns and blanks before it, start where the line begins in image; stops when visit
// returns false.
template <typename Visit>
void ForEachHexLine(std::string_view image, Visit&& visit) {
    std::size_t from = 0;
    while (from < image.size()) {
        std::size_t to = image.find('\n', from);
        to = to == std::string_view::npos ? image.size() : to;
        std::string_view line = image.substr(from, to - from);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.remove_suffix(1);
        }
        if (!visit(line, from)) {
            return;
        }
        from = to + 1;
    }
}

// The image's own line end, "\r\n" or "\n", as its first line has it: what lines written into a
// copy of it end with.
std::string HexLineEnd(std::string_view image);

}  // namespace tool
