// A folder of the benchmark's own in the temporary folder ($TMPDIR, %TMP%), removed with all it
// holds when the benchmark is done.
#pragma once

#include <filesystem>
#include <string>

#include "platform/paths.h"

namespace bench {

class ScratchFolder {
public:
    // A new empty folder named name and a number that no other running benchmark uses.
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder's path, ending in the separator.
    std::string Path() const { return path_.u8string() + os::kPathSeparator; }

private:
    std::filesystem::path path_;
};

}  // namespace bench
