#include "station/press/passed_chips.h"

#include "record/day_record.h"

namespace station {

std::optional<std::string> PassedChips::EarlierPass(const std::string& recordPath,
                                                    const std::string& title,
                                                    const std::string& deviceId) {
    if (recordPath != loadedFrom_) {
        loadedFrom_ = recordPath;
        passes_.clear();
        record::ForEachRowOf(recordPath, title, [this](const record::DayRow& row) {
            if (row.verdict == "PASS" && !row.deviceId.empty()) {
                passes_.emplace(std::string(row.deviceId), std::string(row.time));
            }
        });
    }
    const auto found = passes_.find(deviceId);
    return found == passes_.end() ? std::nullopt : std::optional(found->second);
}

void PassedChips::Add(const std::string& deviceId, const std::string& time) {
    passes_.emplace(deviceId, time);
}

}  // namespace station
