#include "station/run/run_display.h"

namespace station {

RunDisplay::RunDisplay(RunObserver& observer) : observer_(observer) {}

RunDisplay::~RunDisplay() {
    observer_.SetElapsedText("");
}

void RunDisplay::ShowInstead(const std::string& text) {
    ownText_ = true;
    observer_.ShowRunOutput(text);
}

void RunDisplay::Update(const tool::RunProgress& progress) {
    if (progress.recentOutput && !ownText_) {
        observer_.ShowRunOutput(*progress.recentOutput);
    }
    const long long seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start_)
            .count();
    if (seconds != shownSeconds_) {
        shownSeconds_ = seconds;
        observer_.SetElapsedText("已运行 " + std::to_string(seconds) + " 秒");
    }
}

}  // namespace station
