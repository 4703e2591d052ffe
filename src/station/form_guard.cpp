// The form's life: creation with the single-instance claim, and the guard every handler runs in.
#include <exception>
#include <utility>

#include "MainForm.h"
#include "application_title.h"
#include "error_box.h"
#include "instance.h"
#include "paths.h"
#include "station_log.h"

namespace {

// Marks an operation as running for as long as it lives.
class BusyScope {
public:
    explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyScope() { busy_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& busy_;
};

}  // namespace

TRomForm::TRomForm(StationView& view, std::string executablePath)
    : view_(view),
      executablePath_(executablePath.empty() ? os::ExecutablePath() : std::move(executablePath)),
      record_(ApplicationTitle(executablePath_)) {}

TRomForm::~TRomForm() = default;

void TRomForm::FormCreate() {
    title_ = ApplicationTitle(executablePath_);
    // Held for the life of the form, which is the life of the program.
    instanceLock_ = std::make_unique<os::InstanceLock>(title_);
    if (!instanceLock_->Problem().empty()) {
        // This copy runs as the only one; the line engineer learns why that was not made sure.
        LogErrorText("单实例检查未能进行：" + instanceLock_->Problem());
    }
    Init(true);
}

bool TRomForm::AnotherCopyRunning() const {
    return instanceLock_ && instanceLock_->AlreadyRunning();
}

void TRomForm::Handle(Handler handler) {
    if (busy_) {
        // Taken while an operation runs: a press of start then is one the operator made while
        // the station was busy, never a new board.
        if (handler != &TRomForm::Button_StartClick) {
            waiting_.push_back(handler);  // runs when the current operation has ended
        }
        return;
    }
    waiting_.push_back(handler);
    while (!waiting_.empty()) {
        const Handler next = waiting_.front();
        waiting_.pop_front();
        std::string failure;
        bool failed = false;
        {
            BusyScope busy(busy_);
            try {
                (this->*next)();
            } catch (const std::exception& error) {
                failed = true;
                failure = error.what();
            }
            view_.DispatchQueuedInput();
        }
        if (failed) {
            view_.ShowErrorBox(title_, ErrorBoxText(failure));
        }
    }
    if (closeRequested_) {
        closeRequested_ = false;
        view_.CloseWindow();
    }
}

bool TRomForm::RequestClose() {
    if (busy_) {
        closeRequested_ = true;  // a tool run is under way: close once it has ended
        return false;
    }
    return true;
}
