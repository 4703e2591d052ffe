#include "mes/body_template.h"

#include <array>
#include <nlohmann/json.hpp>

namespace mes {

namespace {

constexpr std::array<const char*, 12> kFieldNames = {
    "label",     "station", "step",     "verdict", "error_code", "serial_number",
    "device_id", "image",   "checksum", "time",    "fixture",    "key"};

bool KnownField(const std::string& name) {
    for (const char* known : kFieldNames) {
        if (name == known) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string JsonEscaped(const std::string& text) {
    const std::string quoted =
        nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return quoted.substr(1, quoted.size() - 2);
}

std::string FilledBody(const std::string& bodyTemplate, const Fields& fields) {
    std::string body;
    std::size_t done = 0;
    for (std::size_t open = bodyTemplate.find('{'); open != std::string::npos;
         open = bodyTemplate.find('{', open + 1)) {
        const std::size_t close = bodyTemplate.find('}', open);
        if (close == std::string::npos) {
            break;
        }
        const std::string name = bodyTemplate.substr(open + 1, close - open - 1);
        if (!KnownField(name)) {
            continue;
        }
        const auto field = fields.find(name);
        body += bodyTemplate.substr(done, open - done);
        body += JsonEscaped(field == fields.end() ? std::string() : field->second);
        done = close + 1;
        open = close;
    }
    return body + bodyTemplate.substr(done);
}

}  // namespace mes
