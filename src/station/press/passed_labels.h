// The board labels that passed at this station, on any day: so that a board already programmed
// here is not programmed again by mistake (a rework station allows it in config.ini).
#pragma once

#include <map>
#include <optional>
#include <string>

namespace station {

class PassedLabels {
public:
    // The time of the first PASS row by this title whose board_label field is recorded, in the
    // record files ("yyyy-mm-dd.csv") of folder; none when there is none. The folder's records
    // are read once (again for another folder); later passes come through Add.
    std::optional<std::string> EarlierPass(const std::string& folder, const std::string& title,
                                           const std::string& recorded);
    // A PASS row of the label recorded at time, just written.
    void Add(const std::string& recorded, const std::string& time);
    // Reads folder's records now, unless they are read already: a year of records takes
    // seconds, better spent at a check than at the first press.
    void Follow(const std::string& folder, const std::string& title);

private:
    std::optional<std::string> loadedFrom_;      // the folder the index was read from
    std::map<std::string, std::string> passes_;  // recorded label -> the time of its first PASS
};

}  // namespace station
