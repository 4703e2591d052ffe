// Any bytes as an image and as a checksum file: MD5 fed in pieces equals MD5 of the whole,
// FileChecksum of a file equals the checksum of its bytes, the checksum file reader returns the
// file's bytes decoded whatever they are, and a written checksum file reads back unchanged.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "integrity/checksum.h"
#include "integrity/md5.h"
#include "platform/files.h"
#include "platform/text.h"

namespace {

// A folder of this process's own for the files of every run.
const std::string& WorkFolder() {
    static const std::string folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/fuzz_checksum.XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        return pattern + "/";
    }();
    return folder;
}

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // Piece sizes come from the bytes themselves, so the fuzzer explores the boundaries too.
    integrity::Md5 pieces;
    for (std::size_t at = 0, k = 0; at < size; ++k) {
        const std::size_t length = 1 + (data[k % size] * 37u + k) % 131;
        const std::size_t take = length < size - at ? length : size - at;
        pieces.Update(data + at, take);
        at += take;
    }
    Check(integrity::ToUpperHex(pieces.Final()) == integrity::Md5Hex(bytes));

    const std::string image = WorkFolder() + "image.hex";
    os::CreateForWriting(image, os::Share::kNone).Write(bytes);
    const std::string checksum = integrity::FileChecksum(image);
    Check(checksum == integrity::Md5Hex("jq" + integrity::Md5Hex(bytes) + "qevo"));
    Check(checksum.size() == 32 &&
          checksum.find_first_not_of("0123456789ABCDEF") == std::string::npos);
    Check(integrity::ReadChecksumFile(image) == os::FromAnsi(bytes));

    const std::string crc = WorkFolder() + "image.crc";
    integrity::WriteChecksumFile(crc, checksum);
    Check(integrity::ReadChecksumFile(crc) == checksum);
    return 0;
}
