// Every run of the programmer tool: in Bin_Path, with the window repainting while it runs.
#include "MainForm.h"
#include "run_command.h"

tool::CommandResult TRomForm::RunTool(const std::string& commandLine,
                                      std::chrono::milliseconds limit) {
    return tool::RunCommand(commandLine, Bin_Path, limit,
                            [this](const tool::RunProgress&) { view_.RepaintKeepingInput(); });
}
