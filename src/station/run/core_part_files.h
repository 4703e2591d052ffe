// The parts of a two-core chip's checked image, each in a file of its own for the programmer,
// beside the station's other working files ("<title>.network.hex" in the station folder), for
// the length of one run: the files are gone when the object is, on every way out.
#pragma once

#include <string>
#include <vector>

#include "station/run/run_plan.h"
#include "tool/chip_family.h"
#include "tool/core_split.h"

namespace station {

class CorePartFiles {
public:
    // Writes each non-empty part of parts (split by cores) into folder, named after title and
    // its core, and logs, before the run, each core's part with its address range and size.
    // Throws os::FileError when a file cannot be written (those written are removed).
    CorePartFiles(const std::string& folder, const std::string& title,
                  const std::vector<tool::CoreFacts>& cores,
                  const std::vector<tool::CorePart>& parts);
    ~CorePartFiles();
    CorePartFiles(const CorePartFiles&) = delete;
    CorePartFiles& operator=(const CorePartFiles&) = delete;

    const std::vector<CorePartFile>& Files() const { return files_; }

private:
    void RemoveAll() noexcept;

    std::vector<CorePartFile> files_;
};

// "网络核（CP_NETWORK）：0x01000000-0x01000FFF，4096字节": a part as the day log names it.
std::string PartLine(const tool::CoreFacts& core, const tool::CorePart& part);

}  // namespace station
