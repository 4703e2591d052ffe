#include "tool/nrfutil_output.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "tool/nrfutil_json.h"
#include "tool/serials.h"

namespace tool {

namespace {

using nrfutil_json::Find;
using nrfutil_json::IsType;
using nrfutil_json::Json;
using nrfutil_json::Line;
using nrfutil_json::Lines;
using nrfutil_json::StringAt;

std::string TaskName(const Json& message) {
    for (const char* key : {"description", "name"}) {
        std::string name = StringAt(message, {"data", "task", key});
        if (!name.empty()) {
            return name;
        }
    }
    return "task";
}

// The error code as printed: a number as it is, a string as it is.
std::string ErrorCode(const Json& message) {
    const Json* code = Find(message, {"data", "error", "code"});
    if (code == nullptr || code->is_null()) {
        return {};
    }
    return code->is_string() ? code->get<std::string>()
                             : code->dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string EndedTaskLine(const Json& message) {
    const std::string name = TaskName(message);
    const std::string note = StringAt(message, {"data", "message"});
    if (StringAt(message, {"data", "result"}) == "success") {
        return "  " + name + ": " + (note.empty() ? "success" : note);
    }
    std::string description = StringAt(message, {"data", "error", "description"});
    if (description.empty()) {
        description = note.empty() ? "no description" : note;
    }
    const std::string code = ErrorCode(message);
    return "  " + name + ": failed: " + description + (code.empty() ? "" : " (code " + code + ")");
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace

JLinkListing ReadJLinkSerials(std::string_view output) {
    JLinkListing listing;
    for (const Line& line : Lines(output)) {
        const Json* devices =
            IsType(line, "task_end") ? Find(line.message, {"data", "data", "devices"}) : nullptr;
        if (devices == nullptr || !devices->is_array()) {
            continue;
        }
        listing.hasDeviceList = true;
        for (const Json& device : *devices) {
            const Json* jlink = Find(device, {"traits", "jlink"});
            if (jlink == nullptr || *jlink != true) {
                continue;
            }
            std::optional<std::string> serial = CanonicalSerial(StringAt(device, {"serialNumber"}));
            if (serial && std::find(listing.serials.begin(), listing.serials.end(), *serial) ==
                              listing.serials.end()) {
                listing.serials.push_back(std::move(*serial));
            }
        }
    }
    return listing;
}

bool NrfutilStepPassed(std::string_view output, int exitCode) {
    if (exitCode != 0 || output.find("ERROR:") != std::string_view::npos ||
        output.find("Error:") != std::string_view::npos) {
        return false;
    }
    bool ended = false;
    for (const Line& line : Lines(output)) {
        if (IsType(line, "task_end")) {
            if (StringAt(line.message, {"data", "result"}) != "success") {
                return false;
            }
            ended = true;
        }
    }
    return ended;
}

std::string NrfutilStepAccount(std::string_view command, std::string_view output, int exitCode) {
    std::string account(command);
    std::string text;
    std::vector<std::pair<std::string, std::string>> running;  // task id, name
    bool ended = false;
    for (const Line& line : Lines(output)) {
        if (!line.IsMessage()) {
            if (!IsBlank(line.text)) {
                text += "\n";
                text += line.text;
            }
            continue;
        }
        const std::string id = StringAt(line.message, {"data", "task", "id"});
        if (IsType(line, "task_begin")) {
            running.emplace_back(id, TaskName(line.message));
        } else if (IsType(line, "task_end")) {
            ended = true;
            const auto begun = std::find_if(running.begin(), running.end(),
                                            [&](const auto& task) { return task.first == id; });
            if (begun != running.end()) {
                running.erase(begun);
            }
            account += "\n" + EndedTaskLine(line.message);
        }
    }
    for (const auto& task : running) {
        account += "\n  " + task.second + ": did not end";
    }
    if (!ended) {
        account += "\n  no task reported its end";
    }
    if (exitCode != 0) {
        account += "\n  exit code " + std::to_string(exitCode);
    }
    return account + text;
}

}  // namespace tool
