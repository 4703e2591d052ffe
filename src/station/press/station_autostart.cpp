// The station's look at its fixture while it waits for the next board to start by itself.
#include "station/press/station.h"
#include "station/run/station_log.h"
#include "tool/board_presence.h"

namespace station {

bool Station::Watching() const {
    return settings_.station.autostart && lastCheck_.Ready();
}

AutostartWatch::Action Station::LookAtFixture(RunObserver& observer) {
    if (!Watching()) {
        return AutostartWatch::Action::kWait;
    }
    const Programmer programmer = settings_.station.programmer;
    const tool::CommandResult look = Runner(observer).Run(
        tool::PresenceCommand(programmer, settings_.Prog_Path, lastCheck_.probeSerial),
        limits_.probeQuery);
    const AutostartWatch::Action action = watch_.Look(
        tool::ReadPresence(programmer, look.output, look.exitCode), AutostartWatch::Clock::now());
    if (action == AutostartWatch::Action::kEmptied) {
        LogInfoText("自动开始：等待放入电路板");
    } else if (action == AutostartWatch::Action::kFound) {
        LogInfoText("自动开始：检测到新电路板");
    }
    return action;
}

}  // namespace station
