// The station's look at its fixture while it waits for the next board to start by itself.
#include "station/press/station.h"
#include "station/run/programming_run.h"
#include "station/run/run_plan.h"
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
        if (const std::string known = KnownChip(observer); !known.empty()) {
            LogInfoText(known);
            return AutostartWatch::Action::kWait;  // the board must leave before the next press
        }
        LogInfoText("自动开始：检测到新电路板");
    }
    return action;
}

// The presence look tells that a chip answers, not which one: with chip IDs recorded, one more
// call reads it. A chip that cannot be read (protected) cannot be told apart: it is pressed, the
// absent time being its guard.
std::string Station::KnownChip(RunObserver& observer) {
    if (!settings_.chip.deviceIdAddress) {
        return {};
    }
    const tool::CommandResult read = Runner(observer).Run(
        DeviceIdReadCommand(paths_, settings_, lastCheck_.probeSerial), limits_.probeQuery);
    const std::string id = DeviceIdIn(read.output, *settings_.chip.deviceIdAddress);
    if (id.empty()) {
        return {};
    }
    const RecordedPass earlier = [&] {
        const std::lock_guard<std::recursive_mutex> shared(sharedMutex_);
        return passedChips_.EarlierPass(TodaysRecord(), title_, id);
    }();
    const std::string chip = "这颗芯片（DEVICEID " + id + "）";
    if (earlier.time) {
        return "自动开始：" + chip + "今天已于" + *earlier.time +
               "在本工位烧写通过，不自动烧写（需要重新烧写时请按开始）。";
    }
    if (!earlier.unreadable.empty()) {
        return "自动开始：记录文件“" + earlier.unreadable + "”现在无法读取，不能确认" + chip +
               "是否已烧写通过，不自动烧写（请按开始）。";
    }
    return {};
}

}  // namespace station
