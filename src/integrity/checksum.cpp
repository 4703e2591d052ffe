#include "integrity/checksum.h"

#include <cstddef>
#include <vector>

#include "integrity/md5.h"
#include "platform/files.h"
#include "platform/text.h"

namespace integrity {

namespace {

constexpr std::size_t kBlockSize = 1 << 20;  // images are read in 1 MiB blocks

// The salt around the image's digest.
constexpr const char* kSaltPrefix = "jq";
constexpr const char* kSaltSuffix = "qevo";

std::string Salted(const std::string& imageDigest) {
    return Md5Hex(kSaltPrefix + imageDigest + kSaltSuffix);
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

std::string Checksum(const std::string& bytes) {
    Md5 md5;
    md5.Update(bytes.data(), bytes.size());
    return Salted(ToUpperHex(md5.Final()));
}

std::string ReadChecksumFile(const std::string& path) {
    return os::FromAnsi(os::ReadWholeFile(path, os::Share::kRead));
}

void WriteChecksumFile(const std::string& path, const std::string& checksum) {
    os::ReplaceFileContent(path, os::ToAnsi(checksum).bytes());
}

}  // namespace integrity
