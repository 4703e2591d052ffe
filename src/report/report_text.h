// The report's texts: numbers formatted the same on every platform (integer arithmetic, no
// locale), and text made harmless for HTML and for JSON inside a script element.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace report {

// part / whole as a percentage with one decimal, rounded half up: "96.9"; "" when whole is 0.
std::string Percent(std::uint64_t part, std::uint64_t whole);
// numerator / denominator with one decimal, rounded half up: "42.5"; "" when denominator is 0.
std::string OneDecimal(std::uint64_t numerator, std::uint64_t denominator);
// A value in ms as it is ("4857"); "" for none.
std::string Milliseconds(std::optional<std::uint32_t> ms);
// ms as seconds with two decimals: "4.86 s"; "" for none.
std::string Seconds(std::optional<std::uint32_t> ms);

// Text for HTML element content and quoted attribute values: & < > " ' as character references.
std::string HtmlEscaped(std::string_view text);
// A JSON string literal, quotes included, safe inside <script>: besides what JSON requires, < > &
// and U+2028, U+2029 are written as \u escapes, so no "</script>" or "<!--" can appear.
std::string JsonString(std::string_view text);

}  // namespace report
