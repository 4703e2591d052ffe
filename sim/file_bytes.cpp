#include "file_bytes.h"

#include "os.h"

namespace sim {

std::string ReadWholeFile(const std::string& path) {
    os::File file = os::OpenForReading(path, os::Share::kRead);
    std::string content;
    char buffer[64 * 1024];
    for (std::size_t count; (count = file.Read(buffer, sizeof buffer)) > 0;) {
        content.append(buffer, count);
    }
    return content;
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".tmp";
    try {
        os::File file = os::CreateForWriting(temporary, os::Share::kNone);
        file.Write(bytes);
        file.Close();
        os::ReplaceFile(temporary, path);
    } catch (...) {
        os::RemoveFile(temporary);
        throw;
    }
}

}  // namespace sim
