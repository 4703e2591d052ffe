// The one Intel HEX reader of the station and its stand-ins: the record grammar, each record's
// checksum, the address state of the extended address records (02 segment, 04 linear), the
// end-of-file record, and the first fault with its line. An image is sound only when every
// non-blank line is a record, no data overlaps data placed before or runs past the 32-bit
// address space, and the end-of-file record comes last: data after it (two files joined by
// "copy /b") and a file without one (a file cut short) are faults, never a second image or a
// whole one. Lines end in LF, CR LF or CR; blanks and tabs at a line's end and blank lines are
// skipped. Pure functions; they never throw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tool {

// What is wrong with a line; found and expected as each kind says.
enum class HexFaultKind {
    kStartCode,         // found: the line's first byte (not ':')
    kDigit,             // found: the byte that is no hexadecimal digit, expected: its column
    kOddDigits,         // found: how many digits the line has
    kTooShort,          // found: how many bytes the record has (fewer than 5)
    kCount,             // found: the data bytes the count field says, expected: those it holds
    kChecksum,          // found: the record's checksum, expected: the right one
    kType,              // found: the unknown record type
    kRecordSize,        // found: the data bytes, expected: the type's size; type: the record's
    kOverlap,           // found: the first address of the data written twice
    kPastAddressSpace,  // found: the first address of the data
    kAfterEnd,          // a record after the end-of-file record
    kNoEnd,             // the file ends without an end-of-file record (line: its last record)
};

struct HexFault {
    std::size_t line = 1;  // counted from 1
    HexFaultKind kind = HexFaultKind::kNoEnd;
    std::uint64_t found = 0;
    std::uint64_t expected = 0;
    std::uint8_t type = 0;
};

// A run of bytes a data record writes at consecutive addresses.
struct HexRun {
    std::uint32_t address = 0;
    std::size_t from = 0;  // index of the run's first byte in the record's data
    std::size_t count = 0;
};

// One record of the image as read.
struct HexRecord {
    std::size_t line = 0;      // counted from 1
    std::size_t at = 0;        // where the line starts in the text
    std::string_view text;     // the line without its end and the blanks before it
    std::uint8_t type = 0;     // 0x00 data, 0x01 end of file, 0x02/0x04 address, 0x03/0x05 start
    std::uint16_t offset = 0;  // the record's 16-bit address field
    std::vector<std::uint8_t> data;
    // A data record's memory: one run, or two when it wraps within its 64 KiB segment (segment
    // addressing); none for an empty record or another type.
    std::vector<HexRun> runs;
};

struct IntelHex {
    // Every record in file order, the end-of-file record last; empty when there is a fault.
    // The records' text views the text read.
    std::vector<HexRecord> records;
    std::optional<HexFault> fault;  // the first fault; nothing for a sound image

    bool Ok() const { return !fault; }
};

// Reads text as an Intel HEX image; text must outlive the result.
IntelHex ReadIntelHex(std::string_view text);

// Why the line is refused, as the station's messages say it ("结束记录之后还有数据").
std::string HexFaultReason(const HexFault& fault);

// A record's line: ':', count, address, type, data and checksum in upper-case hexadecimal.
std::string HexRecordText(std::uint8_t type, std::uint16_t offset,
                          const std::vector<std::uint8_t>& data);

// The image's own line end, "\r\n" or "\n", as its first line has it: what lines written into a
// copy of it end with.
std::string HexLineEnd(std::string_view image);

}  // namespace tool
