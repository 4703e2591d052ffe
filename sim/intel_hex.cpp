#include "intel_hex.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <map>
#include <stdexcept>

#include "platform/text.h"

namespace sim {

namespace {

constexpr std::uint8_t kData = 0x00;
constexpr std::uint8_t kEndOfFile = 0x01;
constexpr std::uint8_t kExtendedSegmentAddress = 0x02;
constexpr std::uint8_t kStartSegmentAddress = 0x03;
constexpr std::uint8_t kExtendedLinearAddress = 0x04;
constexpr std::uint8_t kStartLinearAddress = 0x05;

constexpr std::size_t kBytesPerRecord = 16;
constexpr std::uint64_t kAddressSpace = std::uint64_t{1} << 32;
constexpr std::uint32_t kSegmentSize = 0x10000;

// ---------------------------------------------------------------------------------------------
// Writing

void AppendHexByte(std::string& out, std::uint8_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += kDigits[value >> 4];
    out += kDigits[value & 0x0F];
}

void AppendRecord(std::string& out, std::uint8_t type, std::uint16_t offset,
                  const std::uint8_t* data, std::size_t count) {
    const std::uint8_t head[] = {static_cast<std::uint8_t>(count),
                                 static_cast<std::uint8_t>(offset >> 8),
                                 static_cast<std::uint8_t>(offset & 0xFF), type};
    unsigned sum = 0;
    out += ':';
    for (std::uint8_t b : head) {
        AppendHexByte(out, b);
        sum += b;
    }
    for (std::size_t i = 0; i < count; ++i) {
        AppendHexByte(out, data[i]);
        sum += data[i];
    }
    AppendHexByte(out, static_cast<std::uint8_t>(0x100 - (sum & 0xFF)));
    out += "\r\n";
}

void AppendUpperAddress(std::string& out, std::uint32_t upper) {
    const std::uint8_t value[] = {static_cast<std::uint8_t>(upper >> 8),
                                  static_cast<std::uint8_t>(upper & 0xFF)};
    AppendRecord(out, kExtendedLinearAddress, 0, value, sizeof value);
}

// ---------------------------------------------------------------------------------------------
// Reading

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// A character as it can be shown in a message, also when it is a control or non-ASCII byte.
std::string Printable(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
        return std::string("'") + c + "'";
    }
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02X", byte);
    return text;
}

// Raised inside the parser with the message for the current line; ParseIntelHex turns it into
// ParsedHex::error.
struct LineError {
    std::string message;
};

class Parser {
public:
    ParsedHex Run(std::string_view text) {
        ParsedHex result;
        try {
            ParseLines(text);
            result.segments = std::move(segments_);
        } catch (const LineError& e) {
            result.error = "line " + std::to_string(lineNumber_) + ": " + e.message;
        }
        return result;
    }

private:
    void ParseLines(std::string_view text) {
        std::size_t lastContentLine = 0;
        os::ForEachLine(text, [&](std::string_view line) {
            ++lineNumber_;
            while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) {
                line.remove_suffix(1);
            }
            if (line.empty()) {
                return;
            }
            if (ended_) {
                throw LineError{"data after the end-of-file record"};
            }
            lastContentLine = lineNumber_;
            ParseRecord(line);
        });
        if (!ended_) {
            lineNumber_ = std::max<std::size_t>(lastContentLine, 1);
            throw LineError{"the file ends without an end-of-file record (:00000001FF)"};
        }
    }

    void ParseRecord(std::string_view line) {
        if (line.front() != ':') {
            throw LineError{"does not start with ':' but with " + Printable(line.front())};
        }
        const std::vector<std::uint8_t> record = DecodeDigits(line);
        if (record.size() < 5) {
            throw LineError{"record too short: " + std::to_string(record.size()) +
                            " bytes, a record needs at least 5"};
        }
        const std::size_t count = record[0];
        if (record.size() != count + 5) {
            throw LineError{"byte count says " + std::to_string(count) +
                            " data bytes, the record holds " + std::to_string(record.size() - 5)};
        }
        unsigned sum = 0;
        for (std::size_t i = 0; i + 1 < record.size(); ++i) {
            sum += record[i];
        }
        const unsigned expected = (0x100 - (sum & 0xFF)) & 0xFF;
        if (record.back() != expected) {
            throw LineError{"record checksum is " + Hex8(record.back()) + ", expected " +
                            Hex8(expected)};
        }
        const auto offset = static_cast<std::uint16_t>((record[1] << 8) | record[2]);
        const std::uint8_t type = record[3];
        const std::uint8_t* data = record.data() + 4;
        switch (type) {
            case kData:
                PlaceData(offset, data, count);
                break;
            case kEndOfFile:
                RequireCount(count, 0, "end-of-file");
                ended_ = true;
                break;
            case kExtendedSegmentAddress:
                RequireCount(count, 2, "extended segment address");
                base_ = static_cast<std::uint32_t>((data[0] << 8) | data[1]) << 4;
                segmented_ = true;
                break;
            case kExtendedLinearAddress:
                RequireCount(count, 2, "extended linear address");
                base_ = static_cast<std::uint32_t>((data[0] << 8) | data[1]) << 16;
                segmented_ = false;
                break;
            case kStartSegmentAddress:
                RequireCount(count, 4, "start segment address");
                break;
            case kStartLinearAddress:
                RequireCount(count, 4, "start linear address");
                break;
            default:
                throw LineError{"unknown record type " + Hex8(type)};
        }
    }

    std::vector<std::uint8_t> DecodeDigits(std::string_view line) const {
        for (std::size_t i = 1; i < line.size(); ++i) {
            if (HexValue(line[i]) < 0) {
                throw LineError{"invalid hexadecimal digit " + Printable(line[i]) + " at column " +
                                std::to_string(i + 1)};
            }
        }
        const std::size_t digits = line.size() - 1;
        if (digits % 2 != 0) {
            throw LineError{"odd number of hexadecimal digits (" + std::to_string(digits) + ")"};
        }
        std::vector<std::uint8_t> bytes(digits / 2);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<std::uint8_t>(HexValue(line[1 + 2 * i]) * 16 +
                                                 HexValue(line[2 + 2 * i]));
        }
        return bytes;
    }

    static void RequireCount(std::size_t count, std::size_t needed, const char* kind) {
        if (count != needed) {
            throw LineError{std::string(kind) + " record must hold " + std::to_string(needed) +
                            " bytes, it holds " + std::to_string(count)};
        }
    }

    void PlaceData(std::uint16_t offset, const std::uint8_t* data, std::size_t count) {
        if (!segmented_) {
            PlaceRun(std::uint64_t{base_} + offset, data, count);
            return;
        }
        // With segment addressing the offset wraps within the 64 KiB segment.
        const std::size_t first = std::min<std::size_t>(count, kSegmentSize - offset);
        PlaceRun(std::uint64_t{base_} + offset, data, first);
        PlaceRun(base_, data + first, count - first);
    }

    void PlaceRun(std::uint64_t address, const std::uint8_t* data, std::size_t count) {
        if (count == 0) {
            return;
        }
        const std::uint64_t end = address + count;
        if (end > kAddressSpace) {
            throw LineError{"data at " + Hex32(address) + " runs past the 32-bit address space"};
        }
        ClaimRange(address, end);
        if (!segments_.empty()) {
            HexSegment& last = segments_.back();
            if (std::uint64_t{last.address} + last.bytes.size() == address) {
                last.bytes.insert(last.bytes.end(), data, data + count);
                return;
            }
        }
        segments_.push_back({static_cast<std::uint32_t>(address), {data, data + count}});
    }

    // Keeps the ranges placed so far (joined where they touch) and refuses one that overlaps
    // them: an image that writes one address twice has no single meaning.
    void ClaimRange(std::uint64_t begin, std::uint64_t end) {
        auto next = placed_.upper_bound(begin);
        auto previous = next == placed_.begin() ? placed_.end() : std::prev(next);
        if ((previous != placed_.end() && previous->second > begin) ||
            (next != placed_.end() && next->first < end)) {
            throw LineError{"data at " + Hex32(begin) + " overlaps data placed before"};
        }
        if (next != placed_.end() && next->first == end) {
            end = next->second;
            placed_.erase(next);
        }
        if (previous != placed_.end() && previous->second == begin) {
            previous->second = end;
        } else {
            placed_.emplace(begin, end);
        }
    }

    std::size_t lineNumber_ = 0;
    bool ended_ = false;
    std::uint32_t base_ = 0;
    bool segmented_ = false;
    std::vector<HexSegment> segments_;
    std::map<std::uint64_t, std::uint64_t> placed_;  // begin -> end of every placed range
};

}  // namespace

std::string MakeIntelHex(const std::vector<std::uint8_t>& bytes, std::uint32_t baseAddress) {
    if (std::uint64_t{baseAddress} + bytes.size() > kAddressSpace) {
        throw std::length_error("image runs past the 32-bit address space");
    }
    std::string out;
    out.reserve((bytes.size() / kBytesPerRecord + 2) * 45);
    std::uint32_t upper = baseAddress >> 16;
    AppendUpperAddress(out, upper);
    for (std::size_t i = 0; i < bytes.size();) {
        const auto address = static_cast<std::uint32_t>(baseAddress + i);
        if (address >> 16 != upper) {
            upper = address >> 16;
            AppendUpperAddress(out, upper);
        }
        const std::size_t count = std::min<std::size_t>(
            {kBytesPerRecord, bytes.size() - i, kSegmentSize - (address & 0xFFFF)});
        AppendRecord(out, kData, static_cast<std::uint16_t>(address & 0xFFFF), &bytes[i], count);
        i += count;
    }
    out += ":00000001FF\r\n";
    return out;
}

ParsedHex ParseIntelHex(std::string_view text) {
    return Parser().Run(text);
}

std::string Hex32(std::uint64_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08llX", static_cast<unsigned long long>(value));
    return text;
}

std::string Hex8(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
    return text;
}

}  // namespace sim
