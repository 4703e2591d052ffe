// The steps of the check that have more to them than a file's existence. Each fills in what it
// found and returns false with the code set when the station is not ready.
#pragma once

#include "station/check/check.h"

namespace station {

// Runs the probe query and binds the station to its probe among those listed.
bool QueryAndBindProbe(const CheckInputs& inputs, CheckResult& result);
// The folder of the log and the record can take a line, and no row waits in memory for it.
bool LogFolderTakesLines(const CheckInputs& inputs, CheckResult& result);
// [chip], [trace] and [serial] are set right, and the station's range has a number left.
bool ChipSettingsUsable(const CheckInputs& inputs, CheckResult& result);
// The image matches its checksum file (and, on a two-core chip, splits by its cores: 114
// naming the first address no core holds); so does the modem firmware, when one is configured.
// Throws os::FileError when a file that exists cannot be read.
bool ImagesMatch(const CheckInputs& inputs, CheckResult& result);
// Message 114 for numbers used up: the configured range's, or the pool's with why no new block
// came.
std::string UsedUpMessage(const ChipSettings::Serial& serial,
                          const database::SerialBlockAnswer& answer);

}  // namespace station
