// A call's body from config.ini's template: each "{name}" of a known field replaced by the
// field's value, escaped for a JSON string (the template writes the quotes around it), so a
// label with quotes, backslashes or any Unicode stays one value. Anything else in braces (the
// JSON's own) stays as written; a field without a value is "".
#pragma once

#include <map>
#include <string>

namespace mes {

// The fields a template may name: label, station, step, verdict, error_code, serial_number,
// device_id, image, checksum, time, fixture, key.
using Fields = std::map<std::string, std::string>;

std::string FilledBody(const std::string& bodyTemplate, const Fields& fields);

// text as the inside of a JSON string: quotes, backslashes and control characters escaped,
// bytes that are not UTF-8 replaced by U+FFFD.
std::string JsonEscaped(const std::string& text);

}  // namespace mes
