#include "station/press/passed_labels.h"

#include <algorithm>
#include <vector>

#include "platform/files.h"
#include "record/day_record.h"
#include "record/production_record.h"

namespace station {

std::optional<std::string> PassedLabels::EarlierPass(const std::string& folder,
                                                     const std::string& title,
                                                     const std::string& recorded) {
    Follow(folder, title);
    const auto found = passes_.find(recorded);
    return found == passes_.end() ? std::nullopt : std::optional(found->second);
}

void PassedLabels::Add(const std::string& recorded, const std::string& time) {
    passes_.emplace(recorded, time);
}

void PassedLabels::Follow(const std::string& folder, const std::string& title) {
    if (loadedFrom_ == folder) {
        return;
    }
    passes_.clear();
    std::vector<std::string> names = os::FileNamesIn(folder);
    // A folder that is away now (a network share) is read again at the next press, not taken
    // for one without records.
    loadedFrom_ = os::FolderExists(folder) ? std::optional(folder) : std::nullopt;
    std::sort(names.begin(), names.end());  // days in order: the first PASS is kept
    for (const std::string& name : names) {
        if (!record::IsRecordFileName(name)) {
            continue;
        }
        record::ForEachRowOf(folder + name, title, [this](const record::DayRow& row) {
            if (row.verdict == "PASS" && !row.boardLabel.empty()) {
                passes_.emplace(std::string(row.boardLabel), std::string(row.time));
            }
        });
    }
}

}  // namespace station
