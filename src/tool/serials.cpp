#include "serials.h"

#include "text.h"

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
    while (!probeOutput.empty()) {
        const std::size_t end = probeOutput.find('\n');
        if (auto serial =
                CanonicalSerial(os::TrimmedOf(probeOutput.substr(0, end), os::kAsciiSpace))) {
            serials.push_back(std::move(*serial));
        }
        probeOutput =
            end == std::string_view::npos ? std::string_view() : probeOutput.substr(end + 1);
    }
    return serials;
}

}  // namespace tool
