#include "tool/nrfutil_batch.h"

#include "platform/paths.h"
#include "platform/text.h"
#include "tool/nrfutil_json.h"

namespace tool {

namespace {

using nrfutil_json::Json;

// The task id a message is about; "" for none.
std::string TaskIdOf(const Json& message) {
    return nrfutil_json::StringAt(message, {"data", "task", "id"});
}

// The error codes nrfutil documents: 24 not available because of protection, 25 verify failed.
bool KnownErrorCode(int code) {
    return code == 24 || code == 25;
}

// nrfutil's own error line in its text output: "Error: ...".
bool IsErrorLine(std::string_view line) {
    return line.substr(0, 6) == "Error:";
}

}  // namespace

std::string NrfutilAppendBatchCommand(const std::string& stepCommand, const std::string& serial,
                                      const std::string& batchFile) {
    const std::string probe = " --serial-number " + serial;
    std::size_t at = stepCommand.find(probe);
    while (at != std::string::npos && at + probe.size() < stepCommand.size() &&
           stepCommand[at + probe.size()] != ' ') {
        at = stepCommand.find(probe, at + 1);  // a longer serial that starts the same
    }
    if (at == std::string::npos) {
        return {};
    }
    std::string command = stepCommand;
    command.replace(at, probe.size(), " --append-batch " + os::QuoteArgument(batchFile));
    return command;
}

std::string NrfutilBatchExecuteCommand(const std::string& progPath, const std::string& batchFile,
                                       const std::string& serial) {
    return os::QuoteArgument(progPath) + " --json device batch-execute --batch-file " +
           os::QuoteArgument(batchFile) + " --serial-number " + serial;
}

BatchOutput ReadBatchOutput(std::string_view output) {
    BatchOutput batch;
    std::string openTask;  // the task of the last operation while it has not ended
    for (const nrfutil_json::Line& line : nrfutil_json::Lines(output)) {
        if (nrfutil_json::IsType(line, "batch_end")) {
            const Json* code = nrfutil_json::Find(line.message, {"data", "error", "code"});
            batch.endCode = code && code->is_number_integer() ? code->get<int>() : -1;
            continue;
        }
        const Json* inner = nrfutil_json::IsType(line, "batch_update")
                                ? nrfutil_json::Find(line.message, {"data", "data"})
                                : nullptr;
        if (!inner || !inner->is_object()) {
            if (!line.IsMessage() && !os::TrimmedOf(line.text, os::kAsciiSpace).empty()) {
                batch.text += std::string(line.text) + "\n";
            }
            continue;
        }
        const std::string type = nrfutil_json::StringAt(*inner, {"type"});
        const std::string task = TaskIdOf(*inner);
        if (type == "task_begin" || batch.operations.empty() || openTask.empty() ||
            (!task.empty() && task != openTask)) {
            batch.operations.emplace_back();
            openTask = task.empty() ? "-" : task;
        }
        batch.operations.back() += inner->dump(-1, ' ', false, Json::error_handler_t::replace);
        batch.operations.back() += "\n";
        if (type == "task_end") {
            openTask.clear();
        }
    }
    return batch;
}

bool BatchRefusedForVersion(std::string_view output, int exitCode) {
    if (exitCode == 0) {
        return false;
    }
    // What nrfutil reports in its documented fields decides first. nrfutil documents no error
    // code for a file of another version (only that it is refused), so the word is looked for
    // where nothing else says it: in the refusal's own description, or its "Error:" line.
    bool version = false;
    for (const nrfutil_json::Line& line : nrfutil_json::Lines(output)) {
        if (nrfutil_json::IsType(line, "batch_update") || nrfutil_json::IsType(line, "batch_end")) {
            return false;  // the batch was taken: its operations and batch_end say how it went
        }
        const Json* error =
            line.IsMessage() ? nrfutil_json::Find(line.message, {"data", "error"}) : nullptr;
        const Json* code = error ? nrfutil_json::Find(*error, {"code"}) : nullptr;
        if (code && code->is_number_integer() && KnownErrorCode(code->get<int>())) {
            return false;  // a code nrfutil gives for something else
        }
        const std::string said = error ? nrfutil_json::StringAt(*error, {"description"})
                                 : line.IsMessage() || !IsErrorLine(line.text)
                                     ? std::string()
                                     : std::string(line.text);
        version = version || os::AsciiLower(said).find("version") != std::string::npos;
    }
    return version;
}

}  // namespace tool
