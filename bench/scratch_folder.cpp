#include "scratch_folder.h"

#include <random>

namespace bench {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder(const std::string& name) {
    std::random_device seed;
    std::mt19937 numbers(seed());
    // create_directory makes the folder only when nothing has its name yet.
    do {
        path_ = fs::temp_directory_path() / fs::u8path(name + "-" + std::to_string(numbers()));
    } while (!fs::create_directory(path_));
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

}  // namespace bench
