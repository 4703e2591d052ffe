#include "memory_text.h"

#include <algorithm>
#include <cstdio>

namespace sim {

namespace {

constexpr std::size_t kBytesPerLine = 16;

char Printable(std::uint8_t byte) {
    return byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.';
}

}  // namespace

std::vector<std::string> MemoryLines(std::uint32_t address, const std::vector<std::uint8_t>& bytes,
                                     unsigned widthBits) {
    const std::size_t unit = widthBits / 8;
    const std::size_t fullWidth = kBytesPerLine / unit * (2 * unit + 1) - 1;
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < bytes.size(); start += kBytesPerLine) {
        const std::size_t end = std::min(start + kBytesPerLine, bytes.size());
        char head[16];
        std::snprintf(head, sizeof head,
                      "0x%08lX: ", static_cast<unsigned long>(address + start) & 0xFFFFFFFFul);
        std::string units;
        std::string ascii;
        for (std::size_t at = start; at < end; at += unit) {
            unsigned long value = 0;
            for (std::size_t i = unit; i-- > 0;) {
                value = value << 8 | bytes[at + i];
            }
            char text[12];
            std::snprintf(text, sizeof text, "%0*lX", static_cast<int>(2 * unit), value);
            units += (units.empty() ? "" : " ") + std::string(text);
        }
        for (std::size_t at = start; at < end; ++at) {
            ascii += Printable(bytes[at]);
        }
        units.resize(fullWidth, ' ');
        lines.push_back(head + units + "   |" + ascii + "|");
    }
    return lines;
}

std::optional<std::uint32_t> ParseToolNumber(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    const char* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (digits.empty() || digits.size() > 10 ||
        digits.find_first_not_of(allowed) != std::string::npos) {
        return std::nullopt;
    }
    const unsigned long long value = std::stoull(digits, nullptr, hex ? 16 : 10);
    if (value > 0xFFFFFFFFull) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace sim
