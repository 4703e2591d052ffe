// On POSIX a link to this process's own memory, which opens but whose first page is not mapped.
#include <filesystem>

#include "temp_folder.h"
#include "unreadable_file.h"

namespace fs = std::filesystem;

UnreadableFile::UnreadableFile(const std::string& path)
    : path_(path), content_(test_support::ReadFile(path)) {
    fs::remove(fs::u8path(path_));
    fs::create_symlink("/proc/self/mem", fs::u8path(path_));
}

UnreadableFile::~UnreadableFile() {
    fs::remove(fs::u8path(path_));
    test_support::WriteFile(path_, content_);
}
