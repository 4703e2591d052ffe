#include "serial_numbers/serial_number_state.h"

#include <algorithm>
#include <cstdio>

#include "platform/text.h"

namespace serial_numbers {

namespace {

constexpr char kHeader[] =
    "# Serial numbers reserved in this folder, never to be issued again, and the reservations "
    "whose run has not ended yet.\n";

// A title as the last field of a line: "%", CR and LF escaped.
std::string EscapedTitle(const std::string& title) {
    std::string text;
    for (char c : title) {
        if (c == '%' || c == '\r' || c == '\n') {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", static_cast<unsigned char>(c));
            text += escape;
        } else {
            text += c;
        }
    }
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::string> UnescapedTitle(std::string_view text) {
    std::string title;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            title += text[i];
            continue;
        }
        if (i + 2 >= text.size() || HexDigit(text[i + 1]) < 0 || HexDigit(text[i + 2]) < 0) {
            return std::nullopt;
        }
        title += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
        i += 2;
    }
    if (title.empty()) {
        return std::nullopt;
    }
    return title;
}

// A decimal number below 2^32, the whole of text.
std::optional<std::uint32_t> Number(std::string_view text) {
    const std::optional<std::uint64_t> value = os::DecimalNumber(text);
    if (!value || *value > 0xFFFFFFFFull) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*value);
}

}  // namespace

std::optional<std::uint32_t> SerialNumberState::NextIn(NumberRange range) const {
    std::optional<std::uint32_t> largest;
    for (const auto& [first, last] : used_) {
        if (first <= range.last && last >= range.first) {
            largest = std::max(largest.value_or(0), std::min(last, range.last));
        }
    }
    if (!largest) {
        return range.first;
    }
    if (*largest == range.last) {
        return std::nullopt;
    }
    return *largest + 1;
}

void SerialNumberState::Reserve(const std::string& title, std::uint32_t number) {
    MarkUsed(number, number);
    unsettled_[title] = number;
}

std::optional<std::uint32_t> SerialNumberState::Unsettled(const std::string& title) const {
    const auto found = unsettled_.find(title);
    return found == unsettled_.end() ? std::nullopt : std::optional<std::uint32_t>(found->second);
}

void SerialNumberState::Settle(const std::string& title, std::uint32_t number) {
    const auto found = unsettled_.find(title);
    if (found != unsettled_.end() && found->second == number) {
        unsettled_.erase(found);
    }
}

void SerialNumberState::MarkUsed(std::uint32_t first, std::uint32_t last) {
    // The runs that overlap or touch [first, last] join it.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> apart;
    for (const auto& run : used_) {
        if (std::uint64_t{run.second} + 1 < first || std::uint64_t{last} + 1 < run.first) {
            apart.push_back(run);
        } else {
            first = std::min(first, run.first);
            last = std::max(last, run.second);
        }
    }
    const auto at =
        std::find_if(apart.begin(), apart.end(), [&](const auto& run) { return run.first > last; });
    apart.insert(at, {first, last});
    used_ = std::move(apart);
}

std::string SerialNumberState::Text() const {
    std::string text = kHeader;
    for (const auto& [first, last] : used_) {
        text += "used " + std::to_string(first) + "-" + std::to_string(last) + "\n";
    }
    for (const auto& [title, number] : unsettled_) {
        text += "pending " + std::to_string(number) + " " + EscapedTitle(title) + "\n";
    }
    return text;
}

std::optional<SerialNumberState> SerialNumberState::FromText(std::string_view text,
                                                             std::string& problem) {
    SerialNumberState state;
    int lineNumber = 0;
    bool understood = true;
    os::ForEachLine(text, [&](std::string_view line) {
        ++lineNumber;
        if (understood && !state.TakeLine(line)) {
            understood = false;
            problem = "line " + std::to_string(lineNumber) + ": '" + std::string(line) +
                      "' is not understood";
        }
    });
    if (!understood) {
        return std::nullopt;
    }
    return state;
}

bool SerialNumberState::TakeLine(std::string_view line) {
    if (line.empty() || line.front() == '#') {
        return true;
    }
    const std::size_t blank = line.find(' ');
    const std::string_view word = line.substr(0, blank);
    const std::string_view rest =
        blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
    if (word == "used") {
        const std::size_t dash = rest.find('-');
        const auto first = Number(rest.substr(0, dash));
        const auto last =
            dash == std::string_view::npos ? std::nullopt : Number(rest.substr(dash + 1));
        if (first && last && *first <= *last) {
            MarkUsed(*first, *last);
            return true;
        }
    } else if (word == "pending") {
        const std::size_t space = rest.find(' ');
        const auto number = Number(rest.substr(0, space));
        const auto title =
            space == std::string_view::npos ? std::nullopt : UnescapedTitle(rest.substr(space + 1));
        if (number && title && !Unsettled(*title)) {
            Reserve(*title, *number);
            return true;
        }
    }
    return false;
}

}  // namespace serial_numbers
