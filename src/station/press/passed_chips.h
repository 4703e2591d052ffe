// The chips that passed at this station today, by DEVICEID: so that the same chip programmed
// again (a board that was not changed, or a development kit used as the probe, which answers
// with its own chip's ID) is told to the operator.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "station/press/recorded_pass.h"

namespace station {

class PassedChips {
public:
    // The time of the PASS row of deviceId in the day's record at recordPath by this title;
    // none when there is none; recordPath as unreadable when it is there but could not be read
    // (nothing is known then; it is read again at the next call). The record is read once a day
    // (rows still waiting to be written are not in it); later passes come through Add.
    RecordedPass EarlierPass(const std::string& recordPath, const std::string& title,
                             const std::string& deviceId);
    // A row with a PASS of deviceId at time, just written.
    void Add(const std::string& deviceId, const std::string& time);

private:
    std::string loadedFrom_;                     // the day's record the index was read from
    std::map<std::string, std::string> passes_;  // DEVICEID -> the time of its first PASS row
};

}  // namespace station
