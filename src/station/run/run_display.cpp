#include "station/run/run_display.h"

#include <optional>
#include <utility>

#include "tool/nrfutil_progress.h"

namespace station {

namespace {

// "步骤 2/3 45%", or the half the tool reported; "" for none.
std::string ProgressText(const std::optional<tool::NrfutilProgress>& progress) {
    if (!progress) {
        return {};
    }
    std::string text;
    if (progress->steps > 0) {
        text = "步骤 " + std::to_string(progress->step) + "/" + std::to_string(progress->steps);
    }
    if (progress->percent) {
        text += (text.empty() ? "进度 " : " ") + std::to_string(*progress->percent) + "%";
    }
    return text;
}

}  // namespace

RunDisplay::RunDisplay(RunObserver& observer) : observer_(observer) {}

RunDisplay::~RunDisplay() {
    observer_.SetElapsedText("");
}

void RunDisplay::ShowInstead(const std::string& text) {
    ownText_ = true;
    observer_.ShowRunOutput(text);
}

void RunDisplay::BeginToolRun(bool readsNrfutilProgress) {
    readsProgress_ = readsNrfutilProgress;
    if (!progressText_.empty()) {  // the step before's progress goes at once
        progressText_.clear();
        percent_ = -1;
        ShowElapsed();
    }
}

void RunDisplay::Update(const tool::RunProgress& progress) {
    if (progress.recentOutput && !ownText_) {
        observer_.ShowRunOutput(*progress.recentOutput);
    }
    if (progress.recentOutput && readsProgress_) {
        const std::optional<tool::NrfutilProgress> newest =
            tool::NewestNrfutilProgress(*progress.recentOutput);
        progressText_ = ProgressText(newest);
        percent_ = newest && newest->percent ? *newest->percent : -1;
    }
    ShowElapsed();
}

void RunDisplay::ShowElapsed() {
    const long long seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start_)
            .count();
    std::string text = "已运行 " + std::to_string(seconds) + " 秒";
    if (!progressText_.empty()) {
        text += "  " + progressText_;
    }
    if (text != shownElapsed_) {
        shownElapsed_ = std::move(text);
        observer_.SetElapsedText(shownElapsed_);
        observer_.SetRunProgress(seconds, percent_);
    }
}

}  // namespace station
