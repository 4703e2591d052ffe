// A file that exists but cannot be read, for as long as this object lives.
#pragma once

#include <string>

#include "platform/files.h"

class UnreadableFile {
public:
    explicit UnreadableFile(const std::string& path);
    ~UnreadableFile();
    UnreadableFile(const UnreadableFile&) = delete;
    UnreadableFile& operator=(const UnreadableFile&) = delete;

private:
    std::string path_;
    std::string content_;  // what the file held, put back at the end (POSIX)
    os::File holder_;      // holds the file open to all others (Windows)
};
