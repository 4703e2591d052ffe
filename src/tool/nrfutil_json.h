// The JSON lines nrfutil prints, for the readers of its output inside this module: the output
// split into lines, each a JSON message (an object with a string "type") or text, and a few
// lookups that never throw. Private to src/tool: it exposes nlohmann's type.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace tool::nrfutil_json {

using Json = nlohmann::json;

// One line of the output: a JSON message, or text.
struct Line {
    std::string_view text;
    Json message;  // discarded when the line is text

    bool IsMessage() const { return !message.is_discarded(); }
};

// The output's lines without their line ends (os::ForEachLine's). A line nested deeper than any
// message of nrfutil counts as text, so that no line can make the parser build millions of
// nested values.
std::vector<Line> Lines(std::string_view output);
// One line's JSON message, as Lines reads it; discarded when the line is text.
Json Message(std::string_view line);

// The value at the path of keys below value; nullptr when any step is missing or not an object.
const Json* Find(const Json& value, std::initializer_list<const char*> keys);
// The string at the path; "" when it is missing or not a string.
std::string StringAt(const Json& value, std::initializer_list<const char*> keys);
// True when the line is a message of that type.
bool IsType(const Line& line, const char* type);

}  // namespace tool::nrfutil_json
