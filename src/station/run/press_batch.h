// A press in one nrfutil session ([chip] sessions=fewest): the batch file the installed nrfutil
// makes of the plan's operations, kept beside the station's other working files and made again
// only when the operations or the tool changed; each press's copy of it with the board's number;
// the one batch-execute call and its verdict, read operation by operation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "station/run/programming_run.h"
#include "station/run/run_display.h"
#include "station/run/run_plan.h"
#include "station/run/tool_run.h"

namespace station {

class BatchFile {
public:
    struct Preparation {
        bool ready = false;
        // Not ready: the operator's account of the call that failed, or (serialProblem) why the
        // file cannot take the press's number.
        std::string detail;
        bool serialProblem = false;
        tool::CommandResult failedRun;  // the call that failed, for the record
    };

    // Makes plan.batchFile with one call of the tool per operation, each logged, unless the file
    // is there and was made of the same operations by the same tool (path, size, modification
    // time); force makes it anew regardless. When the batch writes the number the placeholder
    // must occur in the file exactly once, in one spelling (PlaceholderSpelling).
    Preparation Prepare(const RunPlan& plan, const std::string& toolPath, const ToolRunner& runner,
                        bool force = false);

private:
    std::string key_;  // what the file on disk was made of; "" for nothing known
};

// Where the file holds the placeholder and how it spells it: its decimal digits, or "0x" and
// eight hexadecimal digits in either letter case, standing alone (no letter or digit beside it;
// the same digits inside a path are not it). Nothing unless exactly one such occurrence of one
// spelling is in the text.
struct PlaceholderAt {
    std::string spelling;
    std::size_t at = 0;  // where it stands in the text
};
std::optional<PlaceholderAt> PlaceholderSpelling(std::string_view text, std::uint32_t placeholder);
// number in the spelling PlaceholderSpelling found.
std::string SpelledLike(const std::string& spelling, std::uint32_t number);

// Runs the press's one batch-execute call on a copy of the batch file with the press's number
// (deleted however the run ends). A file the tool refuses for its version is made again once and
// run again. The run succeeded when every operation of the plan ended in success, in order, the
// count the plan's, batch_end said 0 and the tool exited with 0; the DEVICEID read and the
// read-back are judged as steps of their own are. A failed operation is named (its position and
// kind) in the cause line and the day log.
RunResult RunBatch(const RunPlan& plan, BatchFile& batch, const std::string& toolPath,
                   const ToolRunner& runner, RunDisplay& display);

}  // namespace station
