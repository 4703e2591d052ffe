// The parts of the file service that are the same on every platform.
#include "platform/files.h"

#include "platform/paths.h"
#include "platform/text.h"

namespace os {

namespace {

const char* VerbText(FileVerb verb) {
    switch (verb) {
        case FileVerb::kOpen:
            return "Cannot open file";
        case FileVerb::kCreate:
            return "Cannot create file";
        case FileVerb::kRead:
            return "Cannot read file";
        case FileVerb::kWrite:
            return "Cannot write file";
    }
    return "Cannot use file";
}

}  // namespace

FileError::FileError(FileVerb verb, const std::string& path, std::uint32_t systemCode)
    : std::runtime_error(std::string(VerbText(verb)) + " \"" + AbsolutePath(path) + "\". " +
                         SystemErrorText(systemCode)),
      verb_(verb),
      path_(AbsolutePath(path)),
      systemCode_(systemCode) {}

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, kInvalid)), path_(std::move(other.path_)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, kInvalid);
        path_ = std::move(other.path_);
    }
    return *this;
}

File::~File() {
    Close();
}

std::string ReadWholeFile(const std::string& path, Share share) {
    File file = OpenForReading(path, share);
    std::string content;
    char buffer[64 * 1024];
    for (std::size_t count; (count = file.Read(buffer, sizeof buffer)) > 0;) {
        content.append(buffer, count);
    }
    return content;
}

void ReplaceFileContent(const std::string& path, std::string_view bytes) {
    const std::string temporary = path + ".tmp";
    try {
        {
            File file = CreateForWriting(temporary, Share::kNone);
            file.Write(bytes);
        }  // closed here, before the rename
        ReplaceFile(temporary, path);
    } catch (const FileError& error) {
        RemoveFile(temporary);
        // Whoever reads the message must see the file's own name, not the temporary one.
        throw FileError(FileVerb::kCreate, path, error.SystemCode());
    }
}

}  // namespace os
