#include "report/report_text.h"

namespace report {

std::string OneDecimal(std::uint64_t numerator, std::uint64_t denominator) {
    if (denominator == 0) {
        return "";
    }
    // Tenths, rounded half up.
    const std::uint64_t tenths = (numerator * 20 + denominator) / (2 * denominator);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::string Percent(std::uint64_t part, std::uint64_t whole) {
    return OneDecimal(part * 100, whole);
}

std::string Milliseconds(std::optional<std::uint32_t> ms) {
    return ms ? std::to_string(*ms) : "";
}

std::string Seconds(std::optional<std::uint32_t> ms) {
    if (!ms) {
        return "";
    }
    const std::uint32_t hundredths = (*ms + 5) / 10;
    const std::uint32_t fraction = hundredths % 100;
    return std::to_string(hundredths / 100) + (fraction < 10 ? ".0" : ".") +
           std::to_string(fraction) + " s";
}

std::string HtmlEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string JsonString(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == '<' || c == '>' || c == '&') {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else if (c == 0xE2 && i + 2 < text.size() && text[i + 1] == '\x80' &&
                   (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {
            out += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

}  // namespace report
