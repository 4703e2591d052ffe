#include "station/form/serial_label.h"

#include "platform/text.h"

namespace station {

std::string SerialLabelText(const std::string& probeOutput) {
    // The first kSerialLabelLines lines, their line breaks included.
    std::size_t end = 0;
    for (std::size_t lines = 0; lines < kSerialLabelLines && end < probeOutput.size(); ++lines) {
        const std::size_t lineEnd = probeOutput.find('\n', end);
        end = lineEnd == std::string::npos ? probeOutput.size() : lineEnd + 1;
    }
    if (end > kSerialLabelBytes) {
        end = os::Utf8CharacterStart(probeOutput, kSerialLabelBytes);  // never half a character
    }
    if (end == probeOutput.size()) {
        return probeOutput;
    }
    return probeOutput.substr(0, end) + "…";
}

}  // namespace station
