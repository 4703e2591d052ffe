// The form's life: creation with the single-instance claim, the guard every handler runs in, and
// the state it shows.
#include <exception>
#include <utility>

#include "MainForm.h"
#include "application_title.h"
#include "error_box.h"
#include "instance.h"
#include "paths.h"
#include "programmer.h"
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

StationState TRomForm::State() const {
    StationState state;
    state.App_Path = paths_.App_Path;
    state.Bin_Path = paths_.Bin_Path;
    state.Hex_Path = paths_.Hex_Path;
    state.Hex_Md5 = hexMd5_;
    state.Prog_Path = settings_.Prog_Path;
    state.Prog_Para = tool::kProgPara;
    state.Prog_Sn = lastCheck_.probeOutput;
    state.CRC_Path = paths_.CRC_Path;
    state.Log_Path = paths_.Log_Path;
    state.Config_Path = paths_.Config_Path;
    state.Hex_Name = paths_.Hex_Name;
    state.Error_Code = errorCode_;
    return state;
}

void TRomForm::SetMemoText(const std::string& text) {
    memoText_ = text;
    view_.SetMemoText(text);
}

ToolRunner TRomForm::Runner() const {
    return ToolRunner(view_, paths_.Bin_Path, settings_.station.programmer);
}
