// Every run of the programmer tool: in Bin_Path, with the window repainting while it runs.
#include <QCoreApplication>
#include <QEventLoop>

#include "MainForm.h"
#include "core_text.h"
#include "run_command.h"

tool::CommandResult TRomForm::RunTool(const std::string& commandLine,
                                      std::chrono::milliseconds limit) {
    return tool::RunCommand(commandLine, Utf8(Bin_Path), limit, [] {
        // Paint, but leave clicks and keys queued until the operation has ended.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
}
