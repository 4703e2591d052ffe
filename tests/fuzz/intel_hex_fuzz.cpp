// Any text as an Intel HEX image: the parser never crashes, reports either data or an error,
// and every segment it finds comes back unchanged from the image written for it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "intel_hex.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const sim::ParsedHex parsed = sim::ParseIntelHex(text);
    if (!parsed.Ok()) {
        if (!parsed.segments.empty()) {
            std::abort();  // an error comes without data
        }
        return 0;
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
