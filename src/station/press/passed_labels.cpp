#include "station/press/passed_labels.h"

#include <vector>

#include "platform/files.h"
#include "record/day_record.h"
#include "record/production_record.h"

namespace station {

RecordedPass PassedLabels::EarlierPass(const std::string& folder, const std::string& title,
                                       const std::string& recorded) {
    Follow(folder, title);
    RecordedPass answer;
    answer.unreadable = unreadable_;
    if (const auto found = passes_.find(recorded); found != passes_.end()) {
        answer.time = found->second;
    }
    return answer;
}

void PassedLabels::Add(const std::string& recorded, const std::string& time) {
    const auto [kept, added] = passes_.emplace(recorded, time);
    if (!added && time < kept->second) {
        kept->second = time;  // the first PASS is kept, whichever day's file was read first
    }
}

void PassedLabels::Follow(const std::string& folder, const std::string& title) {
    if (folder_ != folder) {
        folder_ = folder;
        read_.clear();
        passes_.clear();
    }
    // A folder that is away now (a network share) has no names: it is looked at again next time.
    unreadable_.clear();
    for (const std::string& name : os::FileNamesIn(folder)) {
        if (!record::IsRecordFileName(name) || read_.count(name) != 0) {
            continue;
        }
        const bool read =
            record::ForEachRowOf(folder + name, title, [this](const record::DayRow& row) {
                if (row.verdict == "PASS" && !row.boardLabel.empty()) {
                    Add(std::string(row.boardLabel), std::string(row.time));
                }
            });
        if (read) {
            read_.insert(name);
        } else if (unreadable_.empty()) {
            unreadable_ = folder + name;
        }
    }
}

}  // namespace station
