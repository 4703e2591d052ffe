#include "serial_label.h"

namespace tool {

std::string SerialLabelText(const std::string& probeOutput) {
    std::size_t end = 0;
    for (std::size_t lines = 0; lines < kSerialLabelLines && end < probeOutput.size(); ++lines) {
        const std::size_t lineEnd = probeOutput.find('\n', end);
        end = lineEnd == std::string::npos ? probeOutput.size() : lineEnd + 1;
    }
    if (end > kSerialLabelBytes) {
        end = kSerialLabelBytes;
        while (end > 0 && (static_cast<unsigned char>(probeOutput[end]) & 0xC0) == 0x80) {
            --end;  // back to the start of the character cut in two
        }
    }
    if (end == probeOutput.size()) {
        return probeOutput;
    }
    return probeOutput.substr(0, end) + "…";
}

}  // namespace tool
