#include "station/press/passed_chips.h"

#include "record/day_record.h"

namespace station {

RecordedPass PassedChips::EarlierPass(const std::string& recordPath, const std::string& title,
                                      const std::string& deviceId) {
    if (recordPath != loadedFrom_) {
        std::map<std::string, std::string> passes;
        const bool read = record::ForEachRowOf(recordPath, title, [&](const record::DayRow& row) {
            if (row.verdict == "PASS" && !row.deviceId.empty()) {
                passes.emplace(std::string(row.deviceId), std::string(row.time));
            }
        });
        if (!read) {
            RecordedPass unknown;
            unknown.unreadable = recordPath;
            return unknown;
        }
        loadedFrom_ = recordPath;
        passes_ = std::move(passes);
    }
    const auto found = passes_.find(deviceId);
    return found == passes_.end() ? std::nullopt : std::optional(found->second);
}

void PassedChips::Add(const std::string& deviceId, const std::string& time) {
    passes_.emplace(deviceId, time);
}

}  // namespace station
