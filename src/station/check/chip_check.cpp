// The check's step for the chips: their family, identity and numbers.
#include <exception>

#include "serial_numbers/serial_number_store.h"
#include "station/check/check_steps.h"
#include "station/check/database_texts.h"
#include "station/check/error_codes.h"
#include "tool/chip_family.h"
#include "tool/memory_words.h"
#include "tool/programmer.h"

namespace station {

namespace {

// What "ERROR:" line a range used up gives: it names the range, so the line engineer can give
// the station the next one.
std::string RangeUsedUpMessage(const serial_numbers::NumberRange& range) {
    return "ERROR:本工位的序列号（" + std::to_string(range.first) + "-" +
           std::to_string(range.last) + "）已用完，请在config.ini的[serial]中给本工位新的号段。";
}

// What is wrong with the family config.ini names, for the programmer and the addresses set: ""
// when nothing is (or no family is named).
std::string FamilyProblem(const StationSettings& settings) {
    const ChipSettings& chip = settings.chip;
    if (!chip.family) {
        return {};
    }
    const tool::FamilyFacts& facts = tool::FactsOf(*chip.family);
    const std::string family = facts.name;
    if (!tool::Serves(settings.station.programmer, *chip.family)) {
        return "config.ini的[chip]中family=" + family + "的芯片不能用nrfjprog烧写（" +
               facts.nrfjprogRefusal + "），请在[station]中设置programmer=nrfutil";
    }
    const std::string ficr = "FICR（" + tool::AreaText(facts.ficr) + "）";
    const std::string uicr = "UICR（" + tool::AreaText(facts.uicr) + "）";
    const std::uint32_t idBytes = 4 * tool::kDeviceIdWords;
    if (chip.deviceIdAddress && !facts.ficr.Holds(*chip.deviceIdAddress, idBytes) &&
        !facts.uicr.Holds(*chip.deviceIdAddress, idBytes)) {
        return "config.ini的[trace]中deviceid_address=" + tool::HexWord(*chip.deviceIdAddress) +
               "不在" + family + "芯片的" + ficr + "或" + uicr + "中";
    }
    // FICR is written in the chip maker's factory only: the number goes to the UICR.
    if (chip.serial && !facts.uicr.Holds(chip.serial->address, 4)) {
        return "config.ini的[serial]中address=" + tool::HexWord(chip.serial->address) + "不在" +
               family + "芯片的" + uicr + "中";
    }
    return {};
}

// The configured range's next number, or the pool's; false with the message when none is left
// or none can be had.
bool NextSerialNumber(const CheckInputs& in, CheckResult& result) {
    const ChipSettings& chip = in.settings.chip;
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
    return false;
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
    std::string problem = chip.problem.empty() ? FamilyProblem(in.settings) : chip.problem;
    if (!in.settings.station.problem.empty()) {
        problem = in.settings.station.problem;
    }
    if (!problem.empty()) {
        result.serialMessage = "ERROR:" + problem + "，不能烧写。";
    } else if (!chip.serial || NextSerialNumber(in, result)) {
        return true;
    }
    result.code = kSerialNumbers;
    return false;
}

}  // namespace station
