// The check's step for the chips' identity and numbers.
#include <exception>

#include "serial_numbers/serial_number_store.h"
#include "station/check/check_steps.h"
#include "station/check/database_texts.h"
#include "station/check/error_codes.h"

namespace station {

namespace {

// What "ERROR:" line a range used up gives: it names the range, so the line engineer can give
// the station the next one.
std::string RangeUsedUpMessage(const serial_numbers::NumberRange& range) {
    return "ERROR:本工位的序列号（" + std::to_string(range.first) + "-" +
           std::to_string(range.last) + "）已用完，请在config.ini的[serial]中给本工位新的号段。";
}

}  // namespace

std::string UsedUpMessage(const ChipSettings::Serial& serial,
                          const database::SerialBlockAnswer& answer) {
    if (serial.pool.empty()) {
        return RangeUsedUpMessage(serial.range);
    }
    if (answer.range) {  // another copy in the folder took the block's last number
        return station::SerialBlockMessage(
            database::SerialBlockAnswer::None(database::NoBlock::kTakenByOtherCopy));
    }
    return station::SerialBlockMessage(answer);
}

bool ChipSettingsUsable(const CheckInputs& in, CheckResult& result) {
    const ChipSettings& chip = in.settings.chip;
    const std::string& problem =
        in.settings.station.problem.empty() ? chip.problem : in.settings.station.problem;
    if (!problem.empty()) {
        result.serialMessage = "ERROR:" + problem + "，不能烧写。";
    } else if (!chip.serial) {
        return true;
    } else {
        try {
            const database::SerialBlockAnswer answer = in.serialRange();
            if (answer.range) {
                const serial_numbers::SerialNumberStore store(in.paths.App_Path);
                result.nextSerial = store.Next(*answer.range);
                if (result.nextSerial) {
                    return true;
                }
            }
            result.serialMessage = UsedUpMessage(*chip.serial, answer);
        } catch (const std::exception& error) {
            result.serialMessage = "ERROR:序列号无法分配：" + std::string(error.what());
        }
    }
    result.code = kSerialNumbers;
    return false;
}

}  // namespace station
