#include "tool/memory_words.h"

#include <algorithm>
#include <cstdio>

#include "platform/text.h"
#include "tool/nrfutil_json.h"

namespace tool {

namespace {

using nrfutil_json::Find;
using nrfutil_json::IsType;
using nrfutil_json::Json;
using nrfutil_json::StringAt;

constexpr std::uint64_t kAddressSpace = std::uint64_t{1} << 32;

// The bytes of the requested words, as the output gives them.
class RequestedBytes {
public:
    RequestedBytes(std::uint32_t address, std::size_t count)
        : start_(address), bytes_(count, kMissing) {}

    void Put(std::uint64_t address, std::uint8_t value) {
        if (address < start_ || address - start_ >= bytes_.size()) {
            return;
        }
        int& slot = bytes_[static_cast<std::size_t>(address - start_)];
        conflict_ = conflict_ || (slot != kMissing && slot != value);
        slot = value;
    }

    std::optional<std::vector<std::uint32_t>> Words() const {
        if (conflict_ || std::find(bytes_.begin(), bytes_.end(), kMissing) != bytes_.end()) {
            return std::nullopt;
        }
        std::vector<std::uint32_t> words(bytes_.size() / 4);
        for (std::size_t i = bytes_.size(); i-- > 0;) {
            words[i / 4] = words[i / 4] << 8 | static_cast<std::uint32_t>(bytes_[i]);
        }
        return words;
    }

private:
    static constexpr int kMissing = -1;

    std::uint64_t start_;
    std::vector<int> bytes_;
    bool conflict_ = false;
};

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The value of 1 to 16 hexadecimal digits.
std::uint64_t HexValue(std::string_view digits) {
    std::uint64_t value = 0;
    for (char c : digits) {
        const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        value = value << 4 | static_cast<std::uint64_t>(digit);
    }
    return value;
}

// The length of the run of hexadecimal digits text starts with.
std::size_t HexRun(std::string_view text) {
    std::size_t length = 0;
    while (length < text.size() && IsHexDigit(text[length])) {
        ++length;
    }
    return length;
}

// A memory line: "0xADDRESS: GROUP GROUP ... |ascii|".
void ReadMemoryLine(std::string_view line, RequestedBytes& into) {
    while (!line.empty() && IsBlank(line.front())) {
        line.remove_prefix(1);
    }
    if (line.size() > 2 && line[0] == '0' && (line[1] == 'x' || line[1] == 'X')) {
        line.remove_prefix(2);
    }
    const std::size_t addressDigits = HexRun(line);
    if (addressDigits == 0 || addressDigits > 8 || addressDigits >= line.size() ||
        line[addressDigits] != ':') {
        return;
    }
    const std::uint64_t address = HexValue(line.substr(0, addressDigits));
    line.remove_prefix(addressDigits + 1);
    std::vector<std::uint8_t> bytes;
    std::size_t unit = 0;  // bytes per group, set by the first group
    for (;;) {
        while (!line.empty() && IsBlank(line.front())) {
            line.remove_prefix(1);
        }
        std::size_t length = 0;
        while (length < line.size() && !IsBlank(line[length])) {
            ++length;
        }
        const std::string_view group = line.substr(0, length);
        if (HexRun(group) != length || (length != 2 && length != 4 && length != 8)) {
            break;  // the ASCII column, other text, or the line's end
        }
        if (unit != 0 && unit != length / 2) {
            return;  // groups of mixed sizes: not a layout anyone prints
        }
        unit = length / 2;
        const std::uint64_t value = HexValue(group);
        for (std::size_t i = 0; i < unit; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
        line.remove_prefix(length);
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        into.Put(address + i, bytes[i]);
    }
}

// startAddress: a number, or a string of "0x" hexadecimal or decimal digits; below 2^32.
std::optional<std::uint64_t> StartAddress(const Json* value) {
    if (value != nullptr && value->is_number_unsigned()) {
        const auto number = value->get<std::uint64_t>();
        return number < kAddressSpace ? std::optional<std::uint64_t>(number) : std::nullopt;
    }
    if (value == nullptr || !value->is_string()) {
        return std::nullopt;
    }
    std::string_view text = value->get_ref<const std::string&>();
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    text.remove_prefix(hex ? 2 : 0);
    if (text.empty() || text.size() > (hex ? 8u : 10u) ||
        (hex ? HexRun(text) != text.size()
             : text.find_first_not_of("0123456789") != std::string_view::npos)) {
        return std::nullopt;
    }
    const std::uint64_t number = hex ? HexValue(text) : *os::DecimalNumber(text);
    return number < kAddressSpace ? std::optional<std::uint64_t>(number) : std::nullopt;
}

// The memoryData of a successful task_end.
void ReadMemoryData(const Json& message, RequestedBytes& into) {
    if (StringAt(message, {"data", "result"}) != "success") {
        return;
    }
    for (const Json* entries :
         {Find(message, {"data", "data", "memoryData"}), Find(message, {"data", "memoryData"})}) {
        if (entries == nullptr || !entries->is_array()) {
            continue;
        }
        for (const Json& entry : *entries) {
            const auto start = StartAddress(Find(entry, {"startAddress"}));
            const Json* values = Find(entry, {"values"});
            if (!start || values == nullptr || !values->is_array() ||
                !std::all_of(values->begin(), values->end(), [](const Json& value) {
                    return value.is_number_unsigned() && value.get<std::uint64_t>() <= 0xFF;
                })) {
                continue;
            }
            std::uint64_t address = *start;
            for (const Json& value : *values) {
                into.Put(address++, static_cast<std::uint8_t>(value.get<std::uint64_t>()));
            }
        }
    }
}

}  // namespace

std::optional<std::vector<std::uint32_t>> ReadMemoryWords(std::string_view output,
                                                          std::uint32_t address,
                                                          std::size_t wordCount) {
    if (wordCount == 0 || wordCount > kMostWordsRead ||
        std::uint64_t{address} + 4 * wordCount > kAddressSpace) {
        return std::nullopt;
    }
    RequestedBytes bytes(address, 4 * wordCount);
    for (const nrfutil_json::Line& line : nrfutil_json::Lines(output)) {
        if (IsType(line, "task_end")) {
            ReadMemoryData(line.message, bytes);
        } else if (!line.IsMessage()) {
            ReadMemoryLine(line.text, bytes);
        }
    }
    return bytes.Words();
}

std::optional<std::uint64_t> DeviceId(const std::vector<std::uint32_t>& words) {
    if (words.size() != kDeviceIdWords) {
        return std::nullopt;
    }
    return std::uint64_t{words[1]} << 32 | words[0];
}

bool WordConfirmed(std::string_view readOutput, std::uint32_t address, std::uint32_t value) {
    const auto words = ReadMemoryWords(readOutput, address, 1);
    return words && words->front() == value;
}

}  // namespace tool
