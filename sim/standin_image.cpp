#include "standin_image.h"

#include "platform/files.h"

namespace sim {

LoadedImage LoadImage(const std::string& hexPath, const FlashLayout& layout) {
    std::string text;
    try {
        text = os::ReadWholeFile(hexPath, os::Share::kRead);
    } catch (const os::FileError& e) {
        return {{}, e.what()};
    }
    ParsedHex parsed = ParseIntelHex(text);
    if (!parsed.Ok()) {
        return {{},
                "The image " + hexPath + " is not a valid Intel HEX file: " + parsed.error + "."};
    }
    if (parsed.segments.empty()) {
        return {{}, "The image " + hexPath + " holds no data."};
    }
    if (auto outside = layout.FirstOutside(parsed.segments)) {
        return {{},
                "The image writes to " + Hex32(*outside) + ", outside the device's " +
                    std::to_string(layout.flashSize / 1024) + " KiB of flash and its UICR.",
                true};
    }
    return {std::move(parsed.segments), {}};
}

}  // namespace sim
