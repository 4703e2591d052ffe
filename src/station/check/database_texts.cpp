#include "station/check/database_texts.h"

namespace station {

namespace {

using database::DatabaseStatus;
using database::NoBlock;

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

std::string SerialBlockReason(const database::SerialBlockAnswer& answer) {
    switch (answer.why) {
        case NoBlock::kNone:
            return "";
        case NoBlock::kNoPool:
            return "config.ini的[serial]中没有pool";
        case NoBlock::kNoConnection:
            return "config.ini中没有[database]的connection";
        case NoBlock::kUnreachable:
            return "数据库无法连接（" + answer.detail + "）";
        case NoBlock::kRefused:
            return "数据库没有给出号段（" + answer.detail + "）";
        case NoBlock::kPoolUsedUp:
            return "数据库中的序列号池" + answer.detail + "已用完";
        case NoBlock::kNoAnswerInTime:
            return "数据库在" + std::to_string(answer.seconds) + "秒内没有给出新的号段";
        case NoBlock::kTakenByOtherCopy:
            return "请按刷新信息再试";
        case NoBlock::kPoolSetting:
        case NoBlock::kStationFiles:
            break;
    }
    return answer.detail;
}

std::string SerialBlockMessage(const database::SerialBlockAnswer& answer) {
    return "ERROR:本工位的序列号号段已用完，" + SerialBlockReason(answer) + "，不能烧写。";
}

}  // namespace station
