#include "tool/intel_hex.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <map>

namespace tool {

namespace {

constexpr std::uint8_t kData = 0x00;
constexpr std::uint8_t kEndOfFile = 0x01;
constexpr std::uint8_t kSegmentAddress = 0x02;
constexpr std::uint8_t kLinearAddress = 0x04;
constexpr std::uint8_t kLastType = 0x05;
constexpr std::uint64_t kAddressSpace = std::uint64_t{1} << 32;
constexpr std::uint32_t kSegmentSize = 0x10000;

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The data bytes each record type must hold; -1 for any number.
int SizeOfType(std::uint8_t type) {
    static constexpr int kSizes[] = {-1, 0, 2, 4, 2, 4};
    return kSizes[type];
}

std::string Hex(std::uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

// Reads the records one line at a time, keeping the address state and every range placed.
class Reader {
public:
    IntelHex Run(std::string_view text) {
        std::size_t from = 0;
        while (from < text.size() && !fault_) {
            const std::size_t end = text.find_first_of("\r\n", from);
            const std::size_t to = end == std::string_view::npos ? text.size() : end;
            ++line_;
            Line(text.substr(from, to - from), from);
            const bool crLf = to + 1 < text.size() && text[to] == '\r' && text[to + 1] == '\n';
            from = to + (crLf ? 2 : 1);
        }
        if (!fault_ && !ended_) {
            Fail(HexFaultKind::kNoEnd);
            fault_->line = records_.empty() ? 1 : records_.back().line;
        }
        IntelHex result;
        result.fault = fault_;
        if (!fault_) {
            result.records = std::move(records_);
        }
        return result;
    }

private:
    void Fail(HexFaultKind kind, std::uint64_t found = 0, std::uint64_t expected = 0) {
        fault_ = HexFault{line_, kind, found, expected, 0};
    }

    void Line(std::string_view line, std::size_t at) {
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) {
            line.remove_suffix(1);
        }
        if (line.empty()) {
            return;
        }
        if (ended_) {
            return Fail(HexFaultKind::kAfterEnd);
        }
        HexRecord record;
        record.line = line_;
        record.at = at;
        record.text = line;
        if (Decode(line, record) && Understood(record)) {
            records_.push_back(std::move(record));
        }
    }

    // The record's fields, its count and checksum tested.
    bool Decode(std::string_view line, HexRecord& record) {
        if (line.front() != ':') {
            Fail(HexFaultKind::kStartCode, static_cast<unsigned char>(line.front()));
            return false;
        }
        for (std::size_t i = 1; i < line.size(); ++i) {
            if (HexValue(line[i]) < 0) {
                Fail(HexFaultKind::kDigit, static_cast<unsigned char>(line[i]), i + 1);
                return false;
            }
        }
        if ((line.size() - 1) % 2 != 0) {
            Fail(HexFaultKind::kOddDigits, line.size() - 1);
            return false;
        }
        std::vector<std::uint8_t> bytes((line.size() - 1) / 2);
        unsigned sum = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<std::uint8_t>(HexValue(line[1 + 2 * i]) * 16 +
                                                 HexValue(line[2 + 2 * i]));
            sum += i + 1 < bytes.size() ? bytes[i] : 0;
        }
        if (bytes.size() < 5) {
            Fail(HexFaultKind::kTooShort, bytes.size());
            return false;
        }
        if (bytes.size() != std::size_t{bytes[0]} + 5) {
            Fail(HexFaultKind::kCount, bytes[0], bytes.size() - 5);
            return false;
        }
        const unsigned expected = (0x100 - (sum & 0xFF)) & 0xFF;
        if (bytes.back() != expected) {
            Fail(HexFaultKind::kChecksum, bytes.back(), expected);
            return false;
        }
        record.offset = static_cast<std::uint16_t>(bytes[1] << 8 | bytes[2]);
        record.type = bytes[3];
        record.data.assign(bytes.begin() + 4, bytes.end() - 1);
        return true;
    }

    // The record's meaning: the address state it sets, the memory it writes, the end.
    bool Understood(HexRecord& record) {
        if (record.type > kLastType) {
            Fail(HexFaultKind::kType, record.type);
            return false;
        }
        const int size = SizeOfType(record.type);
        if (size >= 0 && record.data.size() != static_cast<std::size_t>(size)) {
            Fail(HexFaultKind::kRecordSize, record.data.size(), static_cast<std::uint64_t>(size));
            fault_->type = record.type;
            return false;
        }
        const std::uint32_t value =
            record.data.size() == 2 ? std::uint32_t{record.data[0]} << 8 | record.data[1] : 0;
        if (record.type == kEndOfFile) {
            ended_ = true;
        } else if (record.type == kSegmentAddress || record.type == kLinearAddress) {
            segmented_ = record.type == kSegmentAddress;
            base_ = segmented_ ? value << 4 : value << 16;
        } else if (record.type == kData) {
            return Place(record);
        }
        return true;
    }

    bool Place(HexRecord& record) {
        const std::size_t count = record.data.size();
        // With segment addressing the offset wraps within the 64 KiB segment.
        const std::size_t first =
            segmented_ ? std::min<std::size_t>(count, kSegmentSize - record.offset) : count;
        const HexRun runs[] = {{base_ + record.offset, 0, first}, {base_, first, count - first}};
        for (const HexRun& run : runs) {
            if (run.count == 0) {
                continue;
            }
            const std::uint64_t begin = run.address;
            if (begin + run.count > kAddressSpace) {
                Fail(HexFaultKind::kPastAddressSpace, begin);
                return false;
            }
            if (!Claim(begin, begin + run.count)) {
                return false;
            }
            record.runs.push_back(run);
        }
        return true;
    }

    // Keeps the ranges placed so far (joined where they touch) and refuses one that overlaps
    // them: an image that writes one address twice has no single meaning.
    bool Claim(std::uint64_t begin, std::uint64_t end) {
        auto next = placed_.upper_bound(begin);
        auto previous = next == placed_.begin() ? placed_.end() : std::prev(next);
        if ((previous != placed_.end() && previous->second > begin) ||
            (next != placed_.end() && next->first < end)) {
            Fail(HexFaultKind::kOverlap, begin);
            return false;
        }
        if (next != placed_.end() && next->first == end) {
            end = next->second;
            placed_.erase(next);
        }
        if (previous != placed_.end() && previous->second == begin) {
            previous->second = end;
        } else {
            placed_.emplace(begin, end);
        }
        return true;
    }

    std::size_t line_ = 0;
    bool ended_ = false;
    bool segmented_ = false;
    std::uint32_t base_ = 0;
    std::vector<HexRecord> records_;
    std::optional<HexFault> fault_;
    std::map<std::uint64_t, std::uint64_t> placed_;  // begin -> end of every placed range
};

// A byte as the operator can read it: itself when printable, else its value.
std::string Shown(std::uint64_t byte) {
    return byte >= 0x20 && byte < 0x7F ? std::string(1, static_cast<char>(byte)) : Hex(byte, 2);
}

}  // namespace

IntelHex ReadIntelHex(std::string_view text) {
    return Reader().Run(text);
}

std::string HexFaultReason(const HexFault& fault) {
    const std::string found = std::to_string(fault.found);
    const std::string expected = std::to_string(fault.expected);
    switch (fault.kind) {
        case HexFaultKind::kStartCode:
            return "不以“:”开头，而以“" + Shown(fault.found) + "”开头，不是Intel HEX记录";
        case HexFaultKind::kDigit:
            return "第" + expected + "列的“" + Shown(fault.found) + "”不是十六进制数字";
        case HexFaultKind::kOddDigits:
            return "十六进制数字的个数（" + found + "）是奇数";
        case HexFaultKind::kTooShort:
            return "记录只有" + found + "个字节，至少要有5个";
        case HexFaultKind::kCount:
            return "长度字段是" + found + "个数据字节，记录中却有" + expected + "个";
        case HexFaultKind::kChecksum:
            return "记录的校验和是" + Hex(fault.found, 2) + "，应为" + Hex(fault.expected, 2);
        case HexFaultKind::kType:
            return "记录类型" + Hex(fault.found, 2) + "不存在";
        case HexFaultKind::kRecordSize:
            return "类型" + Hex(fault.type, 2) + "的记录应有" + expected + "个数据字节，却有" +
                   found + "个";
        case HexFaultKind::kOverlap:
            return "地址" + Hex(fault.found, 8) + "处的数据与前面的数据重叠";
        case HexFaultKind::kPastAddressSpace:
            return "地址" + Hex(fault.found, 8) + "处的数据超出了32位地址空间";
        case HexFaultKind::kAfterEnd:
            return "结束记录之后还有数据";
        case HexFaultKind::kNoEnd:
            return "文件在此结束，没有结束记录（:00000001FF），文件可能不完整";
    }
    return {};
}

std::string HexRecordText(std::uint8_t type, std::uint16_t offset,
                          const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(data.size()),
                                       static_cast<std::uint8_t>(offset >> 8),
                                       static_cast<std::uint8_t>(offset & 0xFF), type};
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (const std::uint8_t byte : bytes) {
        sum += byte;
    }
    bytes.push_back(static_cast<std::uint8_t>(0x100 - (sum & 0xFF)));
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text = ":";
    for (const std::uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::string HexLineEnd(std::string_view image) {
    const std::size_t end = image.find('\n');
    return end != std::string_view::npos && end > 0 && image[end - 1] == '\r' ? "\r\n" : "\n";
}

}  // namespace tool
