// Every run of the programmer tool: in Bin_Path, with the window repainting while it runs.
#include <string>

#include "MainForm.h"
#include "run_command.h"

namespace {

// Shows a run's elapsed seconds while it lives, and hides them on every way out.
class ElapsedSeconds {
public:
    explicit ElapsedSeconds(StationView& view) : view_(view) {}
    ~ElapsedSeconds() { view_.SetElapsedText(""); }
    ElapsedSeconds(const ElapsedSeconds&) = delete;
    ElapsedSeconds& operator=(const ElapsedSeconds&) = delete;

    void Show(std::chrono::milliseconds elapsed) {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
        if (seconds != shown_) {
            shown_ = seconds;
            view_.SetElapsedText("已运行 " + std::to_string(seconds) + " 秒");
        }
    }

private:
    StationView& view_;
    long long shown_ = -1;
};

}  // namespace

tool::CommandResult TRomForm::RunTool(const std::string& commandLine,
                                      std::chrono::milliseconds limit, RunShown shown) {
    if (shown == RunShown::kQuietly) {
        return tool::RunCommand(commandLine, Bin_Path, limit,
                                [this](const tool::RunProgress&) { view_.RepaintKeepingInput(); });
    }
    ElapsedSeconds elapsed(view_);
    return tool::RunCommand(commandLine, Bin_Path, limit, [&](const tool::RunProgress& progress) {
        if (progress.recentOutput) {
            view_.ShowRunOutput(*progress.recentOutput);
        }
        elapsed.Show(progress.elapsed);
        view_.RepaintKeepingInput();
    });
}
