// Judging the board's label the operator scanned (or typed) before a press: what may go into the
// record and start a run, and why anything else may not. The reasons are the operator's texts,
// shown where the label was entered.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "station/settings/label_settings.h"

namespace station {

// The longest label the record takes, in characters.
inline constexpr std::size_t kLongestLabel = 64;

struct LabelJudgement {
    std::string label;    // the label without the blanks around it
    std::string refusal;  // why it may not be used; "" when it may

    bool Accepted() const { return refusal.empty(); }
};

// The time of an earlier PASS row at this station whose board_label field is recorded (as
// record::RecordedLabel writes it); none when there is none.
using EarlierLabelPass = std::function<std::optional<std::string>(const std::string& recorded)>;

// Refuses a label that is empty, longer than kLongestLabel characters, holds a control
// character, does not match the pattern, or already passed here (unless repeats are allowed).
LabelJudgement JudgeLabel(std::string_view scanned, const LabelSettings& settings,
                          const EarlierLabelPass& earlierPass);

}  // namespace station
