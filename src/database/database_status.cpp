#include "database_status.h"

namespace database {

namespace {

// Characters of a reason the window's label shows; the daily log has it whole.
constexpr std::size_t kShownReasonCharacters = 20;

// The reason's first line, cut to what the label has room for (never inside a character).
std::string ShortReason(const std::string& text) {
    const std::string line = text.substr(0, text.find_first_of("\r\n"));
    std::size_t characters = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const bool starts = (static_cast<unsigned char>(line[i]) & 0xC0) != 0x80;
        if (starts && ++characters > kShownReasonCharacters) {
            return line.substr(0, i) + "…";
        }
    }
    return line;
}

std::string Waiting(std::size_t rows) {
    return std::to_string(rows) + " 条待发送";
}

std::string Refused(const DatabaseStatus& status) {
    return status.refused == 0 ? "" : "，" + std::to_string(status.refused) + " 条被拒收（见日志）";
}

}  // namespace

std::string StatusText(const DatabaseStatus& status) {
    switch (status.state) {
        case DatabaseStatus::State::kOff:
            return "";
        case DatabaseStatus::State::kConnecting:
            return "数据库：正在连接" + Refused(status);
        case DatabaseStatus::State::kConnected:
            return "数据库：" + (status.waiting == 0 ? "已连接" : Waiting(status.waiting)) +
                   Refused(status);
        case DatabaseStatus::State::kUnreachable:
            break;
    }
    return "数据库：无法连接（" + ShortReason(status.reason) + "），" + Waiting(status.waiting) +
           Refused(status);
}

std::string StatusLogLine(const DatabaseStatus& status) {
    switch (status.state) {
        case DatabaseStatus::State::kOff:
            return "数据库：不再使用";
        case DatabaseStatus::State::kConnecting:
            return "数据库：正在连接";
        case DatabaseStatus::State::kConnected:
            return "数据库：已连接，" + Waiting(status.waiting);
        case DatabaseStatus::State::kUnreachable:
            break;
    }
    std::string reason = status.reason;
    for (char& c : reason) {
        c = c == '\r' || c == '\n' ? ' ' : c;
    }
    return "数据库：无法连接（" + reason + "），" + Waiting(status.waiting);
}

std::string RefusedLogLine(const std::string& file, std::uint64_t line, const std::string& reason) {
    return "数据库拒收了" + file + "第" + std::to_string(line) + "行：" + reason;
}

std::string SerialBlockMessage(const SerialBlockAnswer& answer) {
    return "ERROR:本工位的序列号号段已用完，" + answer.problem + "，不能烧写。";
}

}  // namespace database
