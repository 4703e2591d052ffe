#include "run_plan.h"

#include "nrfutil_programmer.h"
#include "programmer.h"

std::string RunPlan::Para() const {
    std::string para;
    for (const std::string& command : commands) {
        para += (para.empty() ? "" : " && ") + command;
    }
    return para;
}

RunPlan PlanRun(const StationPaths& paths, const StationSettings& settings,
                const CheckResult& check, bool erase, std::chrono::milliseconds limit) {
    RunPlan plan;
    plan.programmer = settings.station.programmer;
    plan.limit = limit;
    if (plan.programmer == Programmer::kNrfutil) {
        plan.commands = tool::NrfutilProgrammingCommands(settings.Prog_Path, paths.Hex_Path,
                                                         check.probeSerial, erase);
    } else {
        plan.commands = {tool::ProgrammingCommand(settings.Prog_Path, paths.Hex_Path, erase,
                                                  tool::kProgPara,
                                                  check.probePinned ? check.probeSerial : "")};
    }
    return plan;
}
