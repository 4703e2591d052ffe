#include "report/station_index.h"

#include "platform/text.h"

namespace report {

std::uint32_t StationIndex::Of(std::string_view title, std::string_view folder) {
    if (haveLast_ && title == lastTitle_ && folder == lastFolder_) {
        return lastStation_;
    }
    lastTitle_.assign(title);
    lastFolder_.assign(folder);
    haveLast_ = true;
    const auto [it, added] =
        index_.try_emplace({lastTitle_, lastFolder_}, static_cast<std::uint32_t>(stations_.size()));
    if (added) {
        stations_.push_back({os::RepairedUtf8(title, os::kReplacementCharacter),
                             os::RepairedUtf8(folder, os::kReplacementCharacter)});
    }
    lastStation_ = it->second;
    return lastStation_;
}

std::vector<std::uint32_t> StationIndex::Order() const {
    std::vector<std::uint32_t> order;
    for (const auto& [key, index] : index_) {
        order.push_back(index);
    }
    return order;  // the map is ordered by title, then folder
}

}  // namespace report
