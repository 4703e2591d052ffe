// The board labels that passed at this station, on any day: so that a board already programmed
// here is not programmed again by mistake (a rework station allows it in config.ini).
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>

#include "station/press/recorded_pass.h"

namespace station {

class PassedLabels {
public:
    // The time of the first PASS row by this title whose board_label field is recorded, in the
    // record files ("yyyy-mm-dd.csv") of folder; none when there is none; the path of a record
    // file that could not be read when one could not (nothing can be said of the label then).
    // Each file is read once (a file that could not be read, again at the next call; all of them
    // again for another folder); later passes come through Add.
    RecordedPass EarlierPass(const std::string& folder, const std::string& title,
                             const std::string& recorded);
    // A PASS row of the label recorded at time, just written.
    void Add(const std::string& recorded, const std::string& time);

private:
    // Reads folder's record files not read yet; unreadable_ names one that could not be read.
    void Follow(const std::string& folder, const std::string& title);

    std::optional<std::string> folder_;          // the folder the index follows
    std::set<std::string> read_;                 // its record files read so far, by name
    std::string unreadable_;                     // a file that could not be read at the last look
    std::map<std::string, std::string> passes_;  // recorded label -> the time of its first PASS
};

}  // namespace station
