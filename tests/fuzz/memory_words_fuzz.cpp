// Any bytes as what a memory read printed, read for words at an address that the first bytes
// choose: reading never throws or crashes, a result is exactly the requested words, and what it
// reads is what the single-word check confirms.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tool/memory_words.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) {
        return 0;
    }
    // Mostly DEVICEID's own address, so that the corpus's samples are read where they are.
    const std::uint32_t address = (data[0] & 0x80) != 0 ? tool::kNrf52DeviceIdAddress
                                                        : std::uint32_t{data[0]} << 24 |
                                                              std::uint32_t{data[1]} << 16 |
                                                              std::uint32_t{data[2]} << 8 | data[3];
    const std::size_t count = data[4] % 9;  // 0 is asked for too: it gives nothing
    const std::string_view output(reinterpret_cast<const char*>(data + 5), size - 5);

    const auto words = tool::ReadMemoryWords(output, address, count);
    if (words && (count == 0 || words->size() != count)) {
        std::abort();
    }
    if (words && !tool::WordConfirmed(output, address, words->front())) {
        std::abort();
    }
    if (words && count == tool::kDeviceIdWords && !tool::DeviceId(*words)) {
        std::abort();
    }
    return 0;
}
