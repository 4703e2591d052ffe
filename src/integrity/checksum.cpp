#include "checksum.h"

#include <cstddef>
#include <vector>

#include "md5.h"
#include "os.h"

namespace integrity {

namespace {

constexpr std::size_t kBlockSize = 1 << 20;  // images are read in 1 MiB blocks

// The salt around the image's digest.
constexpr const char* kSaltPrefix = "jq";
constexpr const char* kSaltSuffix = "qevo";

std::string Salted(const std::string& imageDigest) {
    return Md5Hex(kSaltPrefix + imageDigest + kSaltSuffix);
}

// Everything after the quoted path in a FileError's message: the full stop and the system's own
// text. Empty when the message does not name the path.
std::string SystemTextAfter(const os::FileError& error, const std::string& path) {
    const std::string message = error.what();
    const std::string quoted = "\"" + os::AbsolutePath(path) + "\"";
    std::size_t at = message.find(quoted);
    if (at == std::string::npos) {
        return {};
    }
    return message.substr(at + quoted.size());
}

}  // namespace

std::string FileChecksum(const std::string& path) {
    os::File file = os::OpenForReading(path, os::Share::kReadWrite);
    std::vector<char> block(kBlockSize);
    Md5 md5;
    for (;;) {
        std::size_t count = file.Read(block.data(), block.size());
        if (count == 0) {
            break;
        }
        md5.Update(block.data(), count);
    }
    return Salted(ToUpperHex(md5.Final()));
}

std::string BytesChecksum(const std::string& bytes) {
    return Salted(Md5Hex(bytes));
}

std::string ReadChecksumFile(const std::string& path) {
    os::File file = os::OpenForReading(path, os::Share::kRead);
    std::string bytes;
    char block[4096];
    for (;;) {
        std::size_t count = file.Read(block, sizeof block);
        if (count == 0) {
            break;
        }
        bytes.append(block, count);
    }
    return os::FromAnsi(bytes);
}

void WriteChecksumFile(const std::string& path, const std::string& checksum) {
    const std::string temporary = path + ".tmp";
    try {
        {
            os::File file = os::CreateForWriting(temporary, os::Share::kNone);
            file.Write(os::ToAnsi(checksum).bytes());
        }  // closed here, before the rename
        os::ReplaceFile(temporary, path);
    } catch (const os::FileError& error) {
        os::RemoveFile(temporary);
        // The operator must see the checksum file's name, not the temporary one.
        std::string systemText = SystemTextAfter(error, temporary);
        if (systemText.empty()) {
            systemText = SystemTextAfter(error, path);
        }
        if (systemText.empty()) {
            throw;
        }
        throw os::FileError("Cannot create file \"" + os::AbsolutePath(path) + "\"" + systemText);
    }
}

}  // namespace integrity
