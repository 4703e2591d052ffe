// Any bytes as a tool's output, arriving in any pieces: the captured text is the same as when
// the bytes come in one piece (the 255-byte zero-cut rule is about the stream, not the reads),
// and it is valid UTF-8. Built once tool::OutputCapture exists (src/tool/output_capture.h).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/text.h"
#include "tool/output_capture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    tool::OutputCapture whole;
    whole.Append(bytes, size);

    // Piece sizes from the bytes themselves: 0 to 600, so pieces fall on both sides of 255.
    tool::OutputCapture pieces;
    for (std::size_t at = 0, k = 0; at < size; ++k) {
        const std::size_t wanted = (data[k % size] * 7u + k * 13u) % 601;
        const std::size_t take = wanted < size - at ? wanted : size - at;
        pieces.Append(bytes + at, take);
        at += take;
    }

    const std::string text = whole.Text();
    if (pieces.Text() != text || os::FromAnsi(text) != text) {
        std::abort();
    }
    return 0;
}
