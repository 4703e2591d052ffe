// Any bytes as config.ini: for the station's own section and keys, the reader returns valid UTF-8
// of at most 2047 characters, and the same answer however the file's bytes are split into the
// pieces it is fed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/profile.h"
#include "platform/profile_reader.h"
#include "platform/text.h"

namespace {

std::size_t CodePoints(const std::string& utf8) {
    std::size_t count = 0;
    for (char c : utf8) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
    return count;
}

// The answer when the bytes come in pieces whose sizes the bytes themselves choose.
std::string InPieces(std::string_view bytes, const char* key) {
    os::ProfileSearch search("log4me", key);
    for (std::size_t at = 0, k = 0; at < bytes.size(); ++k) {
        const std::size_t length = 1 + static_cast<unsigned char>(bytes[k % bytes.size()]) % 7;
        if (search.Feed(bytes.substr(at, length))) {
            break;
        }
        at += length;
    }
    return search.Result("logs");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const char* key : {"path", "level"}) {
        const std::string value = os::ReadProfileString(bytes, "log4me", key, "logs");
        if (CodePoints(value) > 2047 || os::FromAnsi(value) != value ||
            InPieces(bytes, key) != value) {
            std::abort();
        }
    }
    return 0;
}
