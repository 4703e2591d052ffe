// The stations the records name, each a title and a station folder, numbered in the order first
// met, so that the aggregates keep their per-station state in vectors.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace report {

struct Station {
    std::string title;  // UTF-8, repaired
    std::string folder;
};

class StationIndex {
public:
    // The station's index; a new one for a title and folder not met before.
    std::uint32_t Of(std::string_view title, std::string_view folder);

    const std::vector<Station>& Stations() const { return stations_; }
    // Station indices by title, then folder (byte order).
    std::vector<std::uint32_t> Order() const;

private:
    std::vector<Station> stations_;
    std::map<std::pair<std::string, std::string>, std::uint32_t> index_;
    std::string lastTitle_, lastFolder_;  // the last press's station, looked up without the map
    std::uint32_t lastStation_ = 0;
    bool haveLast_ = false;
};

}  // namespace report
