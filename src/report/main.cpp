// romtool-report: the line's view of the stations' production records. See run_report.h.
#include "platform/arguments.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/text.h"
#include "report/run_report.h"

int main(int argc, char** argv) {
    try {
        const os::LocalTime now = os::LocalNow();
        const report::RunResult result =
            report::RunReport(os::ProgramArguments(argc, argv),
                              os::DateText(now) + " " + os::TimeText(now).substr(0, 5));
        os::WriteText(os::StandardStream::kOutput, result.output);
        os::WriteText(os::StandardStream::kError, result.errors);
        return result.exitCode;
    } catch (const std::exception& error) {
        os::WriteText(os::StandardStream::kError,
                      std::string("romtool-report: stopped: ") + error.what() + os::kLineBreak);
        return report::kFailed;
    }
}
