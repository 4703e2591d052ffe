#include "tool/run_failure.h"

#include <cstdio>

namespace tool {

namespace {

// "0xC0000005": an exception code reads as the system's documentation writes it.
std::string Hexadecimal(int exitCode) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(exitCode));
    return text;
}

}  // namespace

std::string RunFailureLine(const CommandResult& run) {
    if (run.notStarted) {
        return "编程器无法启动：" + run.notStarted->text;
    }
    if (!run.timedOut && os::EndedAbnormally(run.exitCode)) {
        return "编程器异常结束，退出码" + Hexadecimal(run.exitCode) + "。";
    }
    return "";
}

std::string RunEndText(const CommandResult& run) {
    if (run.notStarted) {
        return "退出码=无（未启动：" + run.notStarted->call + "：" + run.notStarted->text + "）";
    }
    if (run.timedOut) {
        return "退出码=无（超时，已终止）";
    }
    return "退出码=" + (os::EndedAbnormally(run.exitCode) ? Hexadecimal(run.exitCode)
                                                          : std::to_string(run.exitCode));
}

}  // namespace tool
