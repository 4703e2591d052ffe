// Judging the board's label the operator scanned (or typed) before a press: what may go into the
// record and start a run, and why anything else may not. The reasons are the operator's texts,
// shown where the label was entered.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "database/database_status.h"
#include "station/press/recorded_pass.h"
#include "station/settings/label_settings.h"

namespace station {

// The longest label the record takes, in characters.
inline constexpr std::size_t kLongestLabel = 64;

struct LabelJudgement {
    std::string label;    // the label without the blanks around it
    std::string refusal;  // why it may not be used; "" when it may
    // A line for the log when the factory's database could not say whether another station
    // passed the label (the station's own records decided); "" otherwise.
    std::string databaseNote;

    bool Accepted() const { return refusal.empty(); }
};

// The time of an earlier PASS row at this station whose board_label field is recorded (as
// record::RecordedLabel writes it); none when there is none; or a record file that could not be
// read.
using EarlierLabelPass = std::function<RecordedPass(const std::string& recorded)>;

// What the factory's database says of the label, as record::RecordedLabel writes it.
using DatabaseLabelPass = std::function<database::LabelAnswer(const std::string& recorded)>;

// Refuses a label that is empty, longer than kLongestLabel characters, holds a control
// character, does not match the pattern, or already passed (unless repeats are allowed): here
// by the station's own records, or at any station by the factory's database, which is asked only
// when the station's records have no PASS of it. While one of the station's record files cannot
// be read, a label that is not known to have passed is refused too: it may be in that file.
LabelJudgement JudgeLabel(std::string_view scanned, const LabelSettings& settings,
                          const EarlierLabelPass& earlierPass,
                          const DatabaseLabelPass& databasePass = {});

}  // namespace station
