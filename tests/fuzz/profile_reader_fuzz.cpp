// Any bytes as config.ini: the reader returns valid UTF-8 of at most 2047 characters for the
// station's own section and keys.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "os.h"

namespace {

std::size_t CodePoints(const std::string& utf8) {
    std::size_t count = 0;
    for (char c : utf8) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const char* key : {"path", "level"}) {
        const std::string value = os::ReadProfileString(bytes, "log4me", key, "logs");
        if (CodePoints(value) > 2047 || os::FromAnsi(value) != value) {
            std::abort();
        }
    }
    return 0;
}
