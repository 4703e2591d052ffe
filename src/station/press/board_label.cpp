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

bool Matches(const std::regex& pattern, const std::string& label) {
    try {
        return std::regex_search(label, pattern);
    } catch (const std::regex_error&) {
        return false;  // too complex to decide: not a label this station takes
    }
}

// The database's answer as a refusal, or as a note for the log when it had none.
std::string DatabaseRefusal(const std::string& label, const database::LabelAnswer& answer,
                            std::string& note) {
    using Kind = database::LabelAnswer::Kind;
    const std::string asked = "标签“" + label + "”是否已在其他工位烧写通过";
    const std::string ownOnly = "，按本工位的记录继续。";
    switch (answer.kind) {
        case Kind::kPassed:
            return "标签“" + label + "”已于" + answer.time + "在工位" + answer.station +
                   "烧写通过，不能再次烧写。";
        case Kind::kNoAnswerInTime:
            note = "数据库" + std::to_string(answer.seconds) + "秒内没有回答" + asked + ownOnly;
            break;
        case Kind::kNoProcedure:
            note =
                "数据库中没有romtool.label_passed（请用db目录中的升级脚本升级数据库），无法查询" +
                asked + ownOnly;
            break;
        case Kind::kFailed:
            note = "数据库未能回答" + asked + "（" + answer.detail + "）" + ownOnly;
            break;
        case Kind::kNoDatabase:
        case Kind::kNotPassed:
            break;
    }
    return {};
}

// Why a label that passed already may not be used again; "" when it never passed.
std::string RepeatRefusal(const std::string& label, const EarlierLabelPass& earlierPass,
                          const DatabaseLabelPass& databasePass, std::string& note) {
    const std::string recorded = record::RecordedLabel(label);
    if (const std::optional<std::string> time = earlierPass(recorded)) {
        return "标签“" + label + "”已于" + *time + "在本工位烧写通过，不能再次烧写。";
    }
    return databasePass ? DatabaseRefusal(label, databasePass(recorded), note) : std::string();
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
    if (settings.regex && !Matches(*settings.regex, label)) {
        return "标签“" + label + "”不符合config.ini中label_pattern=" + settings.pattern +
               "的格式，请确认扫描的是电路板的标签。";
    }
    return settings.repeatAllowed ? std::string()
                                  : RepeatRefusal(label, earlierPass, databasePass, note);
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
