// nrfutil's batches: the commands that make a batch file with the installed tool and run it on one
// probe, and the reading of what `nrfutil --json device batch-execute` prints. Reading is pure and
// never throws; unknown fields and message types are ignored.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tool {

// A step's command as nrfutil_programmer.h makes it (" --serial-number <serial>" in it) turned
// into the command that appends its operation to batchFile instead of running it: the probe's
// option is replaced by " --append-batch <batchFile>" (quoted). "" when the command does not hold
// the probe's option.
std::string NrfutilAppendBatchCommand(const std::string& stepCommand, const std::string& serial,
                                      const std::string& batchFile);
// progPath + " --json device batch-execute --batch-file <file> --serial-number <serial>".
std::string NrfutilBatchExecuteCommand(const std::string& progPath, const std::string& batchFile,
                                       const std::string& serial);

// A batch run's output, operation by operation.
struct BatchOutput {
    // Each operation's messages, unwrapped from their batch_update, one JSON line each, from its
    // task_begin to its task_end: the output of one step, for nrfutil_output.h and
    // memory_words.h to read. An operation whose task never ended has no task_end line.
    std::vector<std::string> operations;
    std::optional<int> endCode;  // batch_end's error code; none without a batch_end
    std::string text;            // the lines that were no batch message, as they came
};
BatchOutput ReadBatchOutput(std::string_view output);

// True when the run refused the batch file before any operation (no batch_update or batch_end, a
// non-zero exit code, no error code nrfutil documents for another cause) and its refusal names
// the version (a JSON error's description, or nrfutil's "Error:" line): the file is of another
// nrfutil version.
bool BatchRefusedForVersion(std::string_view output, int exitCode);

}  // namespace tool
