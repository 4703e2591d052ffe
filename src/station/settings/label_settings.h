// [trace]'s keys for the board's own label, read with the rest of [trace] at every check; a
// title's key wins over the plain one, as everywhere in [trace]:
//
//     [trace]
//     label=yes                      ; the operator scans the board's label before each press
//     label_pattern=^PCB-[0-9]{8}$   ; what a label must look like (see pattern.h), optional
//     label_repeat=yes               ; a label that already passed here may pass again (rework)
//     label_database=required        ; no label without the factory database's answer (default
//                                    ; optional: without one, the station's own records decide)
//
// Without label=yes the station asks for no label and its presses are as they always were.
#pragma once

#include <optional>
#include <string>

#include "pattern/pattern.h"

namespace station {

struct LabelSettings {
    bool on = false;                          // every press needs the board's label
    std::string pattern;                      // label_pattern as written; "" for any label
    std::optional<pattern::Pattern> matcher;  // the pattern, when one is given
    bool repeatAllowed = false;               // label_repeat=yes
    bool databaseRequired = false;            // label_database=required
};

// The settings of the copy titled title, read now from the file at configPath. A key set
// wrongly (not yes or no, not required or optional, a pattern that is no regular expression or
// needs what pattern::Compile refuses) is told in problem, as the operator's message says it, and
// the label stays off: the check then refuses to program.
LabelSettings ReadLabelSettings(const std::string& configPath, const std::string& title,
                                std::string& problem);

}  // namespace station
