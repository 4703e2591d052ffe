// The form's life: creation with the single-instance claim, the guard every handler runs in, and
// the state it shows.
#include <utility>

#include "platform/instance.h"
#include "platform/paths.h"
#include "station/form/MainForm.h"
#include "station/form/error_box.h"
#include "station/run/station_log.h"
#include "tool/programmer.h"

namespace station {

namespace {

// Keeps the window marked busy from the outermost handler's start until it has returned,
// whatever runs inside it (an error box, a click taken meanwhile that comes in again).
class BusyMark {
public:
    BusyMark(int& depth, StationView& view) : depth_(depth), view_(view) {
        if (depth_++ == 0) {
            view_.SetBusy(true);
        }
    }
    ~BusyMark() {
        if (--depth_ == 0) {
            view_.SetBusy(false);
        }
    }
    BusyMark(const BusyMark&) = delete;
    BusyMark& operator=(const BusyMark&) = delete;

private:
    int& depth_;
    StationView& view_;
};

}  // namespace

TRomForm::TRomForm(StationView& view, std::string executablePath)
    : view_(view),
      // Called on the database worker's thread: only asks the window to call DatabaseChanged.
      actions_([this](const std::string& failure) {
          view_.ShowErrorBox(AppTitle(), ErrorBoxText(failure));
      }),
      station_(executablePath.empty() ? os::ExecutablePath() : std::move(executablePath),
               [&view] { view.PostDatabaseChange(); }) {}

TRomForm::~TRomForm() = default;

void TRomForm::FormCreate() {
    // Held for the life of the form, which is the life of the program.
    instanceLock_ = std::make_unique<os::InstanceLock>(station_.Title());
    if (!instanceLock_->Problem().empty()) {
        // This copy runs as the only one; the line engineer learns why that was not made sure.
        LogErrorText("单实例检查未能进行：" + instanceLock_->Problem());
    }
    Init(true);
    view_.SetBusy(true);  // until the first refresh has ended
}

bool TRomForm::AnotherCopyRunning() const {
    return instanceLock_ && instanceLock_->AlreadyRunning();
}

ActionKind TRomForm::KindOf(Handler handler) {
    if (handler == &TRomForm::Button_StartClick || handler == &TRomForm::Edit_BoardLabelReturn) {
        return ActionKind::kPress;
    }
    return handler == &TRomForm::AutostartTick ? ActionKind::kLook : ActionKind::kOther;
}

void TRomForm::Handle(Handler handler) {
    if (handler == &TRomForm::AutostartTick && (handling_ > 0 || !Watching())) {
        return;  // the fixture is looked at only while the station is idle and waiting
    }
    const BusyMark marked(handling_, view_);
    actions_.Offer(KindOf(handler), [this, handler] {
        try {
            (this->*handler)();
        } catch (...) {
            view_.DispatchQueuedInput();
            throw;
        }
        // What the operator did meanwhile is taken while this still counts as running.
        view_.DispatchQueuedInput();
    });
    if (closeRequested_ && !actions_.Busy() && !BenchRunning()) {
        closeRequested_ = false;
        view_.CloseWindow();
    }
}

bool TRomForm::RequestClose() {
    if (actions_.Busy() || BenchRunning()) {
        closeRequested_ = true;  // a tool run is under way: close once it has ended
        return false;
    }
    return true;
}

StationState TRomForm::State() const {
    const StationPaths& paths = station_.Paths();
    StationState state;
    state.App_Path = paths.App_Path;
    state.Bin_Path = paths.Bin_Path;
    state.Hex_Path = paths.Hex_Path;
    state.Hex_Md5 = station_.CheckedChecksum();
    state.Prog_Path = station_.Settings().Prog_Path;
    state.Prog_Para = tool::kProgPara;
    state.Prog_Sn = station_.LastCheck().probeOutput;
    state.CRC_Path = paths.CRC_Path;
    state.Log_Path = paths.Log_Path;
    state.Config_Path = paths.Config_Path;
    state.Hex_Name = paths.Hex_Name;
    state.Error_Code = errorCode_;
    return state;
}

}  // namespace station
