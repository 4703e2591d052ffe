// Any bytes as a label pattern and a label (split at the first zero byte): compiling never fails
// other than by a refusal, the compiled size stays within its bound, and searching ends (every
// search is one pass over the label). Short printable ASCII patterns and labels are also matched
// with std::regex_search (ECMAScript), which must agree wherever it takes the pattern too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>
#include <string_view>

#include "pattern/pattern.h"

namespace {

bool PrintableAscii(std::string_view text) {
    for (const char c : text) {
        if (c < 0x20 || c > 0x7E) {
            return false;
        }
    }
    return true;
}

// std::regex's answer; none when it refuses the pattern or gives up on the label.
int RegexAnswer(const std::string& text, const std::string& label) {
    try {
        return std::regex_search(label, std::regex(text, std::regex::ECMAScript)) ? 1 : 0;
    } catch (const std::regex_error&) {
        return -1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t zero = bytes.find('\0');
    const std::string text(bytes.substr(0, zero));
    const std::string label(zero == std::string_view::npos ? "" : bytes.substr(zero + 1));
    const pattern::Compiled compiled = pattern::Compile(text);
    if (!compiled.pattern) {
        if (compiled.problem.empty()) {
            std::abort();  // a refusal always says why
        }
        return 0;
    }
    if (compiled.pattern->Size() > pattern::kLargestProgram) {
        std::abort();
    }
    const bool found = compiled.pattern->Search(label);
    // Kept small, its repetitions expanded too: std::regex backtracks, recursively.
    if (text.size() <= 24 && compiled.pattern->Size() <= 48 && label.size() <= 12 &&
        PrintableAscii(text) && PrintableAscii(label)) {
        const int expected = RegexAnswer(text, label);
        if (expected >= 0 && expected != (found ? 1 : 0)) {
            std::abort();
        }
    }
    return 0;
}
