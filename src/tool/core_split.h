// A merged image split by the chip's cores: each data record of the Intel HEX text goes to the
// core whose flash or UICR holds all of its bytes, with the address records it needs, so each
// core's part holds exactly the image's records for that core. The image is read by the one
// strict reader (intel_hex.h): an image it refuses is not split. A record at an address no core
// holds is refused, so it never reaches the programmer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tool/chip_family.h"
#include "tool/intel_hex.h"

namespace tool {

// One core's part of the image.
struct CorePart {
    std::size_t core = 0;     // index into the cores the image was split by
    std::string text;         // Intel HEX: the core's records, ended by the image's end record
    std::uint32_t first = 0;  // the lowest address written
    std::uint32_t last = 0;   // the highest address written
    std::size_t bytes = 0;    // how many bytes the part writes

    bool Empty() const { return bytes == 0; }
};

struct SplitImage {
    std::vector<CorePart> parts;  // one per core, in the cores' order; an empty one has no data
    // The first address of a record that lies in no core, when there is one, and the record's
    // line (parts are empty).
    std::optional<std::uint32_t> refusedAddress;
    std::size_t refusedLine = 0;
    // Why the image is no sound Intel HEX, when it is not (parts are empty).
    std::optional<HexFault> fault;

    bool Ok() const { return !refusedAddress && !fault; }
};

// Splits the Intel HEX text image by cores. Lines keep their text; each part uses the image's
// line end. Start-address records go to the last core's part (the application core, which
// starts the chip).
SplitImage SplitByCores(std::string_view image, const std::vector<CoreFacts>& cores);

}  // namespace tool
