// Any bytes as a merged nRF5340 image: splitting never throws or crashes, a refused image has no
// parts, and each part of an image that splits is split again into itself alone (it holds only
// its core's records, and they are all there).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tool/chip_family.h"
#include "tool/core_split.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string image(reinterpret_cast<const char*>(data), size);
    const auto& cores = tool::CoresOf(tool::ChipFamily::kNrf53);
    const tool::SplitImage split = tool::SplitByCores(image, cores);
    if (!split.Ok()) {
        if (!split.parts.empty()) {
            std::abort();
        }
        return 0;
    }
    if (split.parts.size() != cores.size()) {
        std::abort();
    }
    for (const tool::CorePart& part : split.parts) {
        const tool::SplitImage again = tool::SplitByCores(part.text, cores);
        if (!again.Ok()) {
            std::abort();
        }
        for (const tool::CorePart& other : again.parts) {
            const bool same = other.core == part.core;
            if (other.bytes != (same ? part.bytes : 0) ||
                (same && (other.first != part.first || other.last != part.last))) {
                std::abort();
            }
        }
    }
    return 0;
}
