// What each of the station's error codes means, in a few words for the report's readers.
#pragma once

#include <string_view>

namespace report {

// The meaning of a code in the record's error_code column; "" for a code the station does not
// know. kNoCode stands for an empty error_code: an error box ended the press.
inline constexpr int kNoCode = -1;
std::string_view ErrorMeaning(int code);

}  // namespace report
