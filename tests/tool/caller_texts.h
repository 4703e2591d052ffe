// What the tests, as RunCommand's caller, have it add to an output: words of their own, since
// the tool layer adds only what its caller gives it (the station's are in its operator_texts.h).
#pragma once

#include <string>

#include "tool/run_command.h"

namespace test_support {

inline std::string CallerTimeoutLine(long long limitSeconds) {
    return "ERROR:the command did not end within " + std::to_string(limitSeconds) + " s";
}
inline const std::string kCallerCutNote = "(the output was cut)";

inline tool::RunOptions CallerTexts() {
    tool::RunOptions options;
    options.timeoutLine = CallerTimeoutLine;
    options.cutNote = kCallerCutNote;
    return options;
}

}  // namespace test_support
