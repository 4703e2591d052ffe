// On Windows the file held open without sharing, so every other open fails.
#include "unreadable_file.h"

UnreadableFile::UnreadableFile(const std::string& path)
    : path_(path), holder_(os::OpenForReading(path, os::Share::kNone)) {}

UnreadableFile::~UnreadableFile() = default;
