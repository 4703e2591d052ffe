#include "tool/nrfutil_progress.h"

#include <cmath>

#include "tool/nrfutil_json.h"

namespace tool {

namespace {

using nrfutil_json::Find;
using nrfutil_json::Json;

constexpr std::string_view kLineEnds = "\r\n";

// The line's message, unwrapped from a batch_update (which carries an operation's message in
// data.data); discarded when the line is text.
Json MessageOf(std::string_view line) {
    // Most lines are neither a task's progress nor its begin: they are not parsed at all.
    if (line.find("task_progress") == std::string_view::npos &&
        line.find("task_begin") == std::string_view::npos) {
        return Json(Json::value_t::discarded);
    }
    Json message = nrfutil_json::Message(line);
    if (nrfutil_json::StringAt(message, {"type"}) != "batch_update") {
        return message;
    }
    const Json* inner = Find(message, {"data", "data"});
    return inner != nullptr && inner->is_object() ? *inner : Json(Json::value_t::discarded);
}

std::optional<int> PercentOf(const Json& value) {
    if (value.is_number_integer()) {
        const auto percent = value.get<long long>();
        return percent >= 0 && percent <= 100 ? std::optional<int>(static_cast<int>(percent))
                                              : std::nullopt;
    }
    if (value.is_number_float()) {
        const double percent = value.get<double>();
        return percent >= 0.0 && percent <= 100.0  // false for NaN
                   ? std::optional<int>(static_cast<int>(std::floor(percent)))
                   : std::nullopt;
    }
    return std::nullopt;
}

long long WholeNumberAt(const Json& progress, const char* key) {
    const Json* value = Find(progress, {key});
    return value != nullptr && value->is_number_integer() ? value->get<long long>() : 0;
}

std::optional<NrfutilProgress> ProgressOf(const Json& message) {
    const Json* progress = Find(message, {"data", "progress"});
    if (progress == nullptr || !progress->is_object()) {
        return std::nullopt;
    }
    NrfutilProgress read;
    if (const Json* percent = Find(*progress, {"progressPercentage"})) {
        read.percent = PercentOf(*percent);
    }
    const long long step = WholeNumberAt(*progress, "step");
    const long long steps = WholeNumberAt(*progress, "amountOfSteps");
    if (step >= 1 && step <= steps && steps <= kMaxSteps) {
        read.step = static_cast<int>(step);
        read.steps = static_cast<int>(steps);
    }
    read.description = nrfutil_json::StringAt(*progress, {"description"});
    if (!read.percent && read.steps == 0) {
        return std::nullopt;
    }
    return read;
}

}  // namespace

std::optional<NrfutilProgress> NewestNrfutilProgress(std::string_view output) {
    // Text after the last line end is a line still arriving.
    std::size_t end = output.find_last_of(kLineEnds);
    while (end != std::string_view::npos) {
        const std::string_view before = output.substr(0, end);
        const std::size_t lineEnd = before.find_last_of(kLineEnds);
        const std::size_t start = lineEnd == std::string_view::npos ? 0 : lineEnd + 1;
        const Json message = MessageOf(before.substr(start));
        const std::string type = nrfutil_json::StringAt(message, {"type"});
        if (type == "task_progress") {
            return ProgressOf(message);
        }
        if (type == "task_begin") {
            return std::nullopt;  // a new task, with nothing reported yet
        }
        end = lineEnd;
    }
    return std::nullopt;
}

}  // namespace tool
