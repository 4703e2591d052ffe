#include "tool/serials.h"

#include "platform/text.h"

namespace tool {

std::optional<std::string> CanonicalSerial(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t first = text.find_first_not_of('0');
    return std::string(first == std::string_view::npos ? "0" : text.substr(first));
}

std::vector<std::string> ListedSerials(std::string_view probeOutput) {
    std::vector<std::string> serials;
    os::ForEachLine(probeOutput, [&serials](std::string_view line) {
        if (auto serial = CanonicalSerial(os::TrimmedOf(line, os::kAsciiSpace))) {
            serials.push_back(std::move(*serial));
        }
    });
    return serials;
}

}  // namespace tool
