#include "database/database_status.h"

namespace database {

namespace {

std::string Waiting(std::size_t rows) {
    return std::to_string(rows) + " 条待发送";
}

}  // namespace

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

}  // namespace database
