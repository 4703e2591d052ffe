// Every run of the programmer tool: in Bin_Path, with the window repainting while it runs.
#include "MainForm.h"
#include "files.h"
#include "nrfutil_programmer.h"
#include "run_display.h"

tool::CommandResult TRomForm::RunTool(const std::string& commandLine,
                                      std::chrono::milliseconds limit, RunDisplay* display) {
    tool::RunOptions options;
    if (config_.programmer == Programmer::kNrfutil) {
        options.encoding = tool::OutputEncoding::kUtf8;
        // A station folder may carry nrfutil's own offline installation beside it.
        const std::string home = Bin_Path + tool::kNrfutilHomeFolder;
        if (os::FolderExists(home)) {
            options.environment.push_back({"NRFUTIL_HOME", home});
        }
    }
    return tool::RunCommand(
        commandLine, Bin_Path, limit,
        [this, display](const tool::RunProgress& progress) {
            if (display) {
                display->Update(progress);
            }
            view_.RepaintKeepingInput();
        },
        options);
}
