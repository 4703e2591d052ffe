#include "file_bytes.h"

#include "files.h"

namespace sim {

std::string ReadWholeFile(const std::string& path) {
    return os::ReadWholeFile(path, os::Share::kRead);
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    os::ReplaceFileContent(path, bytes);
}

}  // namespace sim
