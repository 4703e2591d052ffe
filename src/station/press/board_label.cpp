#include "station/press/board_label.h"

#include "platform/text.h"
#include "record/production_record.h"

namespace station {

namespace {

// Characters of UTF-8 text: every byte that does not continue a character.
std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

// C0 controls, DEL and the C1 controls (U+0080 to U+009F, C2 80 to C2 9F in UTF-8): none of
// them belongs on a label, and a line break or a tab would break the log's line.
bool HoldsControlCharacter(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool c1 = c == 0xC2 && i + 1 < text.size() &&
                        static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (c < 0x20 || c == 0x7F || c1) {
            return true;
        }
    }
    return false;
}

// The database's answer as a refusal; when it had none, a refusal too if the label's check
// requires the database, otherwise a note for the log and no refusal.
std::string DatabaseRefusal(const std::string& label, const database::LabelAnswer& answer,
                            bool required, std::string& note) {
    using Kind = database::LabelAnswer::Kind;
    const std::string asked = "标签“" + label + "”是否已在其他工位烧写通过";
    std::string why;  // why the database could not say
    switch (answer.kind) {
        case Kind::kPassed:
            return "标签“" + label + "”已于" + answer.time + "在工位" + answer.station +
                   "烧写通过，不能再次烧写。";
        case Kind::kNotPassed:
            return {};
        case Kind::kNoDatabase:
            if (!required) {
                return {};
            }
            why = "config.ini中没有[database]，无法查询" + asked;
            break;
        case Kind::kNoAnswerInTime:
            why = "数据库" + std::to_string(answer.seconds) + "秒内没有回答" + asked;
            break;
        case Kind::kNoProcedure:
            why = "数据库中没有romtool.label_passed（请用db目录中的升级脚本升级数据库），无法查询" +
                  asked;
            break;
        case Kind::kFailed:
            why = "数据库未能回答" + asked + "（" + answer.detail + "）";
            break;
    }
    if (required) {
        return why + "，不能烧写（config.ini的[trace]中label_database=required）。";
    }
    note = why + "，按本工位的记录继续。";
    return {};
}

// Why a label that passed already may not be used again; "" when it never passed.
std::string RepeatRefusal(const std::string& label, const LabelSettings& settings,
                          const EarlierLabelPass& earlierPass,
                          const DatabaseLabelPass& databasePass, std::string& note) {
    const std::string recorded = record::RecordedLabel(label);
    const RecordedPass here = earlierPass(recorded);
    if (here.time) {
        return "标签“" + label + "”已于" + *here.time + "在本工位烧写通过，不能再次烧写。";
    }
    if (!here.unreadable.empty()) {
        return "本工位的记录文件“" + here.unreadable + "”现在无法读取，不能确认标签“" + label +
               "”是否已在本工位烧写通过，请检查记录文件后重试。";
    }
    return databasePass
               ? DatabaseRefusal(label, databasePass(recorded), settings.databaseRequired, note)
               : std::string();
}

std::string WhyRefused(const std::string& label, const LabelSettings& settings,
                       const EarlierLabelPass& earlierPass, const DatabaseLabelPass& databasePass,
                       std::string& note) {
    if (label.empty()) {
        return "请先扫描电路板的标签。";
    }
    const std::size_t length = CharacterCount(label);
    if (length > kLongestLabel) {
        return "标签太长（" + std::to_string(length) + "个字符），最多" +
               std::to_string(kLongestLabel) + "个字符，请重新扫描。";
    }
    if (HoldsControlCharacter(label)) {
        return "标签中含有控制字符，请重新扫描。";
    }
    if (settings.matcher && !settings.matcher->Search(label)) {
        return "标签“" + label + "”不符合config.ini中label_pattern=" + settings.pattern +
               "的格式，请确认扫描的是电路板的标签。";
    }
    return settings.repeatAllowed ? std::string()
                                  : RepeatRefusal(label, settings, earlierPass, databasePass, note);
}

}  // namespace

LabelJudgement JudgeLabel(std::string_view scanned, const LabelSettings& settings,
                          const EarlierLabelPass& earlierPass,
                          const DatabaseLabelPass& databasePass) {
    LabelJudgement judged;
    judged.label = std::string(os::TrimmedOf(scanned, " "));
    judged.refusal =
        WhyRefused(judged.label, settings, earlierPass, databasePass, judged.databaseNote);
    return judged;
}

}  // namespace station
