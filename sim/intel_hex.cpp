#include "intel_hex.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <stdexcept>

#include "tool/intel_hex.h"

namespace sim {

namespace {

constexpr std::uint8_t kData = 0x00;
constexpr std::uint8_t kExtendedLinearAddress = 0x04;

constexpr std::size_t kBytesPerRecord = 16;
constexpr std::uint64_t kAddressSpace = std::uint64_t{1} << 32;
constexpr std::uint32_t kSegmentSize = 0x10000;

// ---------------------------------------------------------------------------------------------
// Writing

void AppendRecord(std::string& out, std::uint8_t type, std::uint16_t offset,
                  const std::uint8_t* data, std::size_t count) {
    out += tool::HexRecordText(type, offset, {data, data + count}) + "\r\n";
}

void AppendUpperAddress(std::string& out, std::uint32_t upper) {
    const std::uint8_t value[] = {static_cast<std::uint8_t>(upper >> 8),
                                  static_cast<std::uint8_t>(upper & 0xFF)};
    AppendRecord(out, kExtendedLinearAddress, 0, value, sizeof value);
}

// ---------------------------------------------------------------------------------------------
// Reading: the station's own reader, the fault in the stand-ins' words

// A character as it can be shown in a message, also when it is a control or non-ASCII byte.
std::string Printable(std::uint64_t byte) {
    if (byte >= 0x20 && byte < 0x7F) {
        return std::string("'") + static_cast<char>(byte) + "'";
    }
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02X", static_cast<unsigned>(byte & 0xFF));
    return text;
}

std::string RecordName(std::uint8_t type) {
    static const char* const kNames[] = {"data",
                                         "end-of-file",
                                         "extended segment address",
                                         "start segment address",
                                         "extended linear address",
                                         "start linear address"};
    return type < std::size(kNames) ? kNames[type] : "unknown";
}

std::string FaultText(const tool::HexFault& fault) {
    const std::string found = std::to_string(fault.found);
    const std::string expected = std::to_string(fault.expected);
    switch (fault.kind) {
        case tool::HexFaultKind::kStartCode:
            return "does not start with ':' but with " + Printable(fault.found);
        case tool::HexFaultKind::kDigit:
            return "invalid hexadecimal digit " + Printable(fault.found) + " at column " + expected;
        case tool::HexFaultKind::kOddDigits:
            return "odd number of hexadecimal digits (" + found + ")";
        case tool::HexFaultKind::kTooShort:
            return "record too short: " + found + " bytes, a record needs at least 5";
        case tool::HexFaultKind::kCount:
            return "byte count says " + found + " data bytes, the record holds " + expected;
        case tool::HexFaultKind::kChecksum:
            return "record checksum is " + Hex8(static_cast<unsigned>(fault.found)) +
                   ", expected " + Hex8(static_cast<unsigned>(fault.expected));
        case tool::HexFaultKind::kType:
            return "unknown record type " + Hex8(static_cast<unsigned>(fault.found));
        case tool::HexFaultKind::kRecordSize:
            return RecordName(fault.type) + " record must hold " + expected + " bytes, it holds " +
                   found;
        case tool::HexFaultKind::kOverlap:
            return "data at " + Hex32(fault.found) + " overlaps data placed before";
        case tool::HexFaultKind::kPastAddressSpace:
            return "data at " + Hex32(fault.found) + " runs past the 32-bit address space";
        case tool::HexFaultKind::kAfterEnd:
            return "data after the end-of-file record";
        case tool::HexFaultKind::kNoEnd:
            return "the file ends without an end-of-file record (:00000001FF)";
    }
    return {};
}

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
    const tool::IntelHex read = tool::ReadIntelHex(text);
    ParsedHex parsed;
    if (read.fault) {
        parsed.error = "line " + std::to_string(read.fault->line) + ": " + FaultText(*read.fault);
        return parsed;
    }
    for (const tool::HexRecord& record : read.records) {
        for (const tool::HexRun& run : record.runs) {
            const auto from = record.data.begin() + static_cast<std::ptrdiff_t>(run.from);
            std::vector<HexSegment>& segments = parsed.segments;
            if (!segments.empty() &&
                std::uint64_t{segments.back().address} + segments.back().bytes.size() ==
                    run.address) {
                segments.back().bytes.insert(segments.back().bytes.end(), from,
                                             from + static_cast<std::ptrdiff_t>(run.count));
            } else {
                segments.push_back(
                    {run.address, {from, from + static_cast<std::ptrdiff_t>(run.count)}});
            }
        }
    }
    return parsed;
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
