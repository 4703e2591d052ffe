#include "tool/nrfutil_json.h"

#include "platform/text.h"

namespace tool::nrfutil_json {

namespace {

// Far deeper than any message of nrfutil.
constexpr int kMaxDepth = 64;

// True when the line's brackets (outside strings) never nest deeper than kMaxDepth.
bool WithinDepth(std::string_view text) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            i += c == '\\' ? 1 : 0;
            inString = c != '"';
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > kMaxDepth) {
                return false;
            }
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return true;
}

}  // namespace

Json Message(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos || text[start] != '{' || !WithinDepth(text)) {
        return Json(Json::value_t::discarded);
    }
    Json message = Json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
    const auto type = message.is_object() ? message.find("type") : message.end();
    if (!message.is_object() || type == message.end() || !type->is_string()) {
        return Json(Json::value_t::discarded);
    }
    return message;
}

std::vector<Line> Lines(std::string_view output) {
    std::vector<Line> lines;
    os::ForEachLine(output, [&lines](std::string_view text) {
        lines.push_back({text, Message(text)});
    });
    return lines;
}

const Json* Find(const Json& value, std::initializer_list<const char*> keys) {
    const Json* current = &value;
    for (const char* key : keys) {
        if (!current->is_object()) {
            return nullptr;
        }
        const auto found = current->find(key);
        if (found == current->end()) {
            return nullptr;
        }
        current = &*found;
    }
    return current;
}

std::string StringAt(const Json& value, std::initializer_list<const char*> keys) {
    const Json* found = Find(value, keys);
    return found != nullptr && found->is_string() ? found->get<std::string>() : std::string();
}

bool IsType(const Line& line, const char* type) {
    return line.IsMessage() && StringAt(line.message, {"type"}) == type;
}

}  // namespace tool::nrfutil_json
