// How a press is built, decided by config.ini alone, in one place: the programmer, the chip's
// cores, the sessions mode, whether the station reads the image's records itself, and the files
// a press writes for the tool beside the station's other working files (in the station folder,
// named after the copy's title). The check measures those files and reads the image as the
// recipe says; the run plan and the press build the run from it.
#pragma once

#include <string>
#include <vector>

#include "station/settings/station_settings.h"
#include "tool/chip_family.h"

namespace station {

struct PressRecipe {
    Programmer programmer = Programmer::kNrfjprog;
    // A two-core chip's cores (tool::CoresOf): the image is split by them and each core's part
    // programmed from a file of its own. Empty for a one-core chip.
    std::vector<tool::CoreFacts> cores;
    // [chip] sessions=fewest with nrfjprog on a one-core chip: as few calls as the station's own
    // command combinations allow.
    bool fewestCalls = false;
    // fewestCalls with [serial]: each board's number goes into its own copy of the image.
    bool numberInImage = false;
    // [chip] sessions=fewest with nrfutil: the press is one batch-execute call.
    bool oneBatch = false;

    // The station reads the image's records itself (split or numbered copy), rather than only
    // handing the image to the programmer.
    bool ReadsImage() const { return !cores.empty() || numberInImage; }
};

PressRecipe RecipeOf(const StationSettings& settings);

// Where the core's part goes: folder + title + ".network.hex" (".application.hex").
std::string CorePartPath(const std::string& folder, const std::string& title,
                         const tool::CoreFacts& core);
// Where the board's own image goes: folder + title + ".numbered.hex".
std::string NumberedImagePath(const std::string& folder, const std::string& title);
// The batch nrfutil makes of the press's operations, and each press's copy of it.
std::string BatchFilePath(const std::string& folder, const std::string& title);
std::string BatchCopyPath(const std::string& folder, const std::string& title);

// Every file a press of this recipe may name on the tool's command line besides the image and
// the modem's firmware.
std::vector<std::string> PressFilePaths(const PressRecipe& recipe, const std::string& folder,
                                        const std::string& title);

}  // namespace station
