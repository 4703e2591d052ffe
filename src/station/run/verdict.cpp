#include "station/run/verdict.h"

#include <utility>

namespace station {

std::string WithLastLine(const std::string& text, const std::string& line) {
    if (text.empty() || text.back() == '\n' || text.back() == '\r') {
        return text + line + "\r\n";
    }
    return text + "\r\n" + line;
}

Verdict Passed(std::string caption, std::string detail, std::string serial) {
    return {std::move(caption), kVerdictGreen, std::move(detail), 0, std::move(serial)};
}

Verdict Failed(int code, const std::string& detail, const std::string& message,
               std::string serial) {
    return {"FAIL", kVerdictRed, WithLastLine(detail, message), code, std::move(serial)};
}

}  // namespace station
