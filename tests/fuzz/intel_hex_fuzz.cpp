// Any text as an Intel HEX image, read by the one reader of the station and its stand-ins: it
// never crashes, reports either records or a fault, and a sound image ends with its end-of-file
// record, reads the same when its records are written anew, takes a serial number's word where
// it writes nothing (and then reads as sound, the word in it), and gives the stand-ins each
// segment back unchanged from the image written for it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "intel_hex.h"
#include "tool/intel_hex.h"
#include "tool/numbered_image.h"

namespace {

constexpr std::uint32_t kWord = 0x10001080;

bool SameRecords(const tool::IntelHex& a, const tool::IntelHex& b) {
    if (a.records.size() != b.records.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.records.size(); ++i) {
        const tool::HexRecord& x = a.records[i];
        const tool::HexRecord& y = b.records[i];
        if (x.type != y.type || x.offset != y.offset || x.data != y.data ||
            x.runs.size() != y.runs.size()) {
            return false;
        }
    }
    return true;
}

void CheckSound(std::string_view text, const tool::IntelHex& read) {
    if (read.records.empty() || read.records.back().type != 0x01) {
        std::abort();
    }
    std::string again;
    for (const tool::HexRecord& record : read.records) {
        again += tool::HexRecordText(record.type, record.offset, record.data) + "\n";
    }
    if (!SameRecords(read, tool::ReadIntelHex(again))) {
        std::abort();
    }
    const tool::WordClash clash = tool::FindWordClash(text, kWord);
    const std::optional<std::string> numbered = tool::WithWord(text, kWord, 0x12345678);
    if (clash.Any() != !numbered) {
        std::abort();
    }
    if (numbered && (!tool::ReadIntelHex(*numbered).Ok() ||
                     tool::FindWordClash(*numbered, kWord).address != kWord)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const tool::IntelHex read = tool::ReadIntelHex(text);
    if (read.fault != std::nullopt && !read.records.empty()) {
        std::abort();  // a fault comes without records
    }
    if (read.Ok()) {
        CheckSound(text, read);
    }
    const sim::ParsedHex parsed = sim::ParseIntelHex(text);
    if (parsed.Ok() != read.Ok()) {
        std::abort();
    }
    for (const sim::HexSegment& segment : parsed.segments) {
        if (segment.bytes.empty()) {
            std::abort();
        }
        const sim::ParsedHex again =
            sim::ParseIntelHex(sim::MakeIntelHex(segment.bytes, segment.address));
        if (!again.Ok() || again.segments.size() != 1 || !(again.segments[0] == segment)) {
            std::abort();
        }
    }
    return 0;
}
