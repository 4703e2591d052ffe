// What the operator and the log are told of how a programmer run ended, beyond its output: a run
// that never started or ended abnormally prints nothing that says so (a crashed tool prints
// nothing at all), and would otherwise read as a probe or chip that did not answer.
#pragma once

#include <string>

#include "tool/run_command.h"

namespace tool {

// The line that says what went wrong with the run itself: "编程器无法启动：<system text>" when it
// never started, "编程器异常结束，退出码0xC0000005。" (the exit code in hexadecimal) when it ended
// abnormally (os::EndedAbnormally); "" otherwise, also when its limit ended it (its output says
// so).
std::string RunFailureLine(const CommandResult& run);

// How the run ended, short, for its line in the log and for a step that printed nothing; always
// begins "退出码=": "退出码=0" (an abnormal end's code in hexadecimal, "退出码=0xC0000005"),
// "退出码=无（超时，已终止）", or "退出码=无（未启动：<call>：<system text>）".
std::string RunEndText(const CommandResult& run);

}  // namespace tool
