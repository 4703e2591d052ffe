// The end of every press: its row, what the chip's ID and number tell the log and the operator,
// and the number settled.
#include <exception>

#include "MainForm.h"
#include "press_record.h"
#include "serial_number_store.h"
#include "station_log.h"

void TRomForm::FinishPress(const Press& press, bool erase, bool raised) {
    try {
        ProductionRecord row = RecordOfPress(title_, paths_, lastCheck_, erase, press.run, raised);
        row.serialNumber = press.serialNumber;
        const std::string verdict = row.pass ? "PASS" : "FAIL";
        std::optional<std::string> earlier;
        if (!row.deviceId.empty()) {
            earlier = passedChips_.EarlierPass(TodaysRecord(), title_, row.deviceId);
            row.sameChipAs = earlier.value_or("");
        }
        WriteRecord(row);
        if (!row.deviceId.empty()) {
            LogInfoText("DEVICEID=" + row.deviceId + " " + verdict);
            if (row.pass) {
                passedChips_.Add(row.deviceId, RecordTime(row.time));
            }
        }
        if (earlier) {
            const std::string note = "注意：这颗芯片（DEVICEID " + row.deviceId + "）今天已于" +
                                     *earlier + "在本工位烧写通过，请确认是否换了板子。";
            SetMemoText(WithLastLine(memoText_, note));
            LogInfoText(note);
        }
        if (press.serialNumber) {
            LogInfoText("SN=" + std::to_string(*press.serialNumber) + " " + verdict);
            serial_numbers::SerialNumberStore(paths_.App_Path).Settle(title_, *press.serialNumber);
        }
        ShowNextSerial();
    } catch (...) {
        // Called on the way out of a press: nothing may escape. An unsettled number is reported
        // at the next start and never issued again.
    }
}

void TRomForm::RecordVoidedNumber(std::uint32_t number) {
    ProductionRecord row;
    row.title = title_;
    row.stationFolder = paths_.App_Path;
    row.imagePath = paths_.Hex_Path;
    row.serialNumber = number;  // FAIL without a code: the run was cut off
    WriteRecord(row);
    LogErrorText("SN=" + std::to_string(number) + " FAIL（上次运行中断，该序列号作废）");
    serial_numbers::SerialNumberStore(paths_.App_Path).Settle(title_, number);
}

void TRomForm::ShowNextSerial() {
    std::string text;
    try {
        if (settings_.chip.serial) {
            // Never waits: without a block at hand, the pool's worker is asked for one.
            const database::SerialBlockAnswer answer = SerialRange(std::chrono::milliseconds(0));
            const std::optional<std::uint32_t> next =
                answer.range
                    ? serial_numbers::SerialNumberStore(paths_.App_Path).Next(*answer.range)
                    : std::nullopt;
            text = "下一序列号：" + (next ? std::to_string(*next)
                                     : settings_.chip.serial->pool.empty()
                                         ? std::string("已用完")
                                         : std::string("等待数据库分配"));
        }
    } catch (const std::exception&) {
        // The check says what is wrong with the numbers (114).
    }
    view_.SetNextSerialText(text);
}

std::string TRomForm::TodaysRecord() const {
    return settings_.log.folder + RecordFileName(log4me::Now().local);
}

void TRomForm::ShowCounts() {
    dayCounts_.Follow(TodaysRecord(), title_);
    view_.SetCountsText(dayCounts_.Text());
}

void TRomForm::WriteRecord(ProductionRecord& row) {
    try {
        dayCounts_.Follow(TodaysRecord(), title_);  // the day's rows before this one
        const log4me::AppendResult result = record_.Append(settings_.log.folder, row);
        if (database_) {
            database_->Poke();  // the row goes to the factory's database now, not at the next round
        }
        dayCounts_.Add(row.pass, row.run ? std::optional(row.run->duration) : std::nullopt);
        view_.SetCountsText(dayCounts_.Text());
        if (result.placement != log4me::Placement::kWaitingInMemory &&
            result.placement != log4me::Placement::kLost) {
            return;  // in the file, or safely waiting on disk
        }
        const std::string line = "ERROR:生产记录" + result.path + "写不进去（" + result.problem +
                                 "），" +
                                 (result.placement == log4me::Placement::kLost
                                      ? "内存中也已放不下，本次记录丢失。"
                                      : "本次记录暂存在内存中，目录可以写入后会自动补写。");
        SetMemoText(WithLastLine(memoText_, line));
        LogErrorText(line);
    } catch (...) {
        // Called on the way out of a press: nothing may escape.
    }
}
