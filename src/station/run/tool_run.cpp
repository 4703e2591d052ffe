#include "station/run/tool_run.h"

#include <utility>

#include "platform/files.h"
#include "station/run/operator_texts.h"
#include "station/run/run_display.h"
#include "station/run/station_log.h"
#include "tool/nrfutil_programmer.h"
#include "tool/run_failure.h"

namespace station {

ToolRunner::ToolRunner(RunObserver& observer, std::string binPath, Programmer programmer)
    : observer_(observer), binPath_(std::move(binPath)), programmer_(programmer) {}

tool::CommandResult ToolRunner::Run(const std::string& commandLine, std::chrono::milliseconds limit,
                                    RunDisplay* display) const {
    tool::RunOptions options;
    options.timeoutLine = TimeoutLine;
    options.cutNote = OutputCutNote(tool::OutputCapture::kDefaultBound);
    if (programmer_ == Programmer::kNrfutil) {
        options.encoding = tool::OutputEncoding::kUtf8;
        // A station folder may carry nrfutil's own offline installation beside it.
        const std::string home = binPath_ + tool::kNrfutilHomeFolder;
        if (os::FolderExists(home)) {
            options.environment.push_back({"NRFUTIL_HOME", home});
        }
    }
    if (display) {
        display->BeginToolRun(programmer_ == Programmer::kNrfutil);
    }
    return tool::RunCommand(
        commandLine, binPath_, limit,
        [this, display](const tool::RunProgress& progress) {
            if (display) {
                display->Update(progress);
            }
            observer_.KeepResponsive();
        },
        options);
}

tool::CommandResult ToolRunner::RunStep(const std::string& step, const std::string& commandLine,
                                        std::chrono::milliseconds limit,
                                        RunDisplay* display) const {
    tool::CommandResult result = Run(commandLine, limit, display);
    LogInfoText(step + "：" + tool::RunEndText(result));
    return result;
}

}  // namespace station
