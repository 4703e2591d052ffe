#include "station/press/press_record.h"

#include "station/check/error_codes.h"

namespace station {

record::ProductionRecord RecordOfPress(const std::string& title, const StationPaths& paths,
                                       const CheckResult& check, bool erase,
                                       const std::optional<RunResult>& run, int verdictCode,
                                       bool raised) {
    record::ProductionRecord record;
    record.title = title;
    record.stationFolder = paths.App_Path;
    record.probeOutput = check.probeQueried ? check.probeOutput : "";
    record.imagePath = paths.Hex_Path;
    record.checksum = check.checksum;  // compared by the check, also when it did not match
    record.probeSerial = check.probeSerial;
    record.erase = erase;
    const int code = run ? (run->succeeded ? 0 : kProgrammingFailed) : verdictCode;
    record.pass = !raised && code == 0;
    if (!raised) {
        record.errorCode = code;
    }
    if (run) {
        record.run = record::ProductionRecord::Run{run->duration, run->lastRun.timedOut,
                                                   run->lastRun.exitCode};
        record.deviceId = run->deviceId;
        record.sessions = run->calls;
    }
    return record;
}

}  // namespace station
