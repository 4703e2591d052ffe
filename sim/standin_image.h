// The image a stand-in is asked to program: read, parsed and checked against the simulated flash.
#pragma once

#include <string>
#include <vector>

#include "intel_hex.h"
#include "simulated_flash.h"

namespace sim {

struct LoadedImage {
    std::vector<HexSegment> segments;  // the data, all inside the flash; empty on error
    std::string error;                 // why the image cannot be programmed; empty when it can
    bool outside = false;              // the error is data outside the flash and the UICR

    bool Ok() const { return error.empty(); }
};

// Reads the Intel HEX file at hexPath. An error names what is wrong: a file that cannot be read,
// an invalid record (with its line), an image without data, or data outside the flash and the
// UICR of layout.
LoadedImage LoadImage(const std::string& hexPath, const FlashLayout& layout);

}  // namespace sim
