// The station's life outside a press: its paths and settings, the check, the checksum file, the
// option list, and the factory database's service.
#include "station/press/station.h"

#include <stdexcept>
#include <utility>

#include "database/station_database.h"
#include "integrity/checksum.h"
#include "mes/station_mes.h"
#include "platform/files.h"
#include "station/check/database_texts.h"
#include "station/check/error_codes.h"
#include "station/check/error_text.h"
#include "station/run/run_display.h"
#include "station/run/station_log.h"
#include "station/settings/application_title.h"
#include "tool/programmer.h"
#include "tool/programmer_choice.h"

namespace station {

namespace {

// While the station waits for its database: the window keeps painting, and says what it waits
// for once the wait is more than a moment.
class WaitingForDatabase {
public:
    WaitingForDatabase(RunObserver& observer, std::string text)
        : observer_(observer), text_(std::move(text)) {}

    database::StationDatabase::WhileWaiting Callback() {
        return [this] {
            if (!display_) {
                display_.emplace(observer_);
                display_->ShowInstead(text_);
            }
            display_->Update({});
            observer_.KeepResponsive();
        };
    }

private:
    RunObserver& observer_;
    const std::string text_;
    std::optional<RunDisplay> display_;
};

}  // namespace

StationShared::StationShared(const std::string& title) : record(title) {}

StationShared::~StationShared() = default;

Station::Station(std::string executablePath, std::function<void()> databaseChanged)
    : executablePath_(std::move(executablePath)),
      title_(ApplicationTitle(executablePath_)),
      ownTitle_(title_),
      databaseChanged_(std::move(databaseChanged)),
      shared_(std::make_shared<StationShared>(title_)) {}

Station::Station(std::string executablePath, std::function<void()> databaseChanged,
                 std::shared_ptr<StationShared> shared, FixtureSettings fixture)
    : executablePath_(std::move(executablePath)),
      title_(ApplicationTitle(executablePath_)),
      fixture_(std::move(fixture)),
      ownTitle_(title_ + "." + fixture_->name),
      databaseChanged_(std::move(databaseChanged)),
      shared_(std::move(shared)) {}

Station::~Station() = default;

void Station::Init(bool first, StationEvents& events) {
    if (first) {
        hexPath_.clear();
    }
    paths_ = DerivePaths(executablePath_, hexPath_);
    ApplySettings(events);
    lastCheck_.probeOutput.clear();
}

bool Station::ChecksumWritable() const {
    if (!os::FileExists(paths_.Hex_Path)) {
        return false;
    }
    return !os::FileExists(paths_.CRC_Path) || ModemChecksumMissing();
}

bool Station::ModemChecksumMissing() const {
    const ChipSettings& chip = settings_.chip;
    return !chip.modemPath.empty() && os::FileExists(chip.modemPath) &&
           !os::FileExists(chip.modemChecksumPath);
}

void Station::ApplySettings(StationEvents& events) {
    const std::lock_guard<std::recursive_mutex> shared(sharedMutex_);
    settings_ = ReadSettings(paths_, title_);
    if (fixture_) {  // its own probe in place of [station]'s
        settings_.station.pin = ProbePin{fixture_->probe, fixture_->serial};
        if (settings_.station.problem.empty()) {
            settings_.station.problem = fixture_->problem;
        }
    }
    events.SettingsRead(settings_.commandTemplate);
    ConfigureDatabase();
    ConfigureMes();
    if (const std::optional<std::string> state = DatabaseState()) {
        events.DatabaseStateRead(*state);
    }
}

const CheckResult& Station::Check(StationEvents& events) {
    events.CheckStarting();
    CheckLocked(events);
    if (lastCheck_.failure) {
        throw std::runtime_error(*lastCheck_.failure);  // a file that exists but cannot be read
    }
    if (lastCheck_.Ready()) {
        hexMd5_ = lastCheck_.checksum;
    }
    watch_.Restart(settings_.station.autostartSettle, settings_.station.autostartAbsent);
    return lastCheck_;
}

void Station::CheckLocked(StationEvents& events) {
    std::unique_lock<std::recursive_mutex> shared(sharedMutex_);
    ApplySettings(events);
    if (fixture_ && !fixture_->problem.empty()) {  // refused alone, before its probe is asked
        lastCheck_ = {};
        lastCheck_.code = kSerialNumbers;
        lastCheck_.serialMessage = "ERROR:" + fixture_->problem + "，不能烧写。";
        return;
    }
    lastCheck_ =
        CheckStation({paths_, settings_,
                      [&, runner = Runner(events)](const std::string& step, const std::string& line,
                                                   std::chrono::milliseconds limit) {
                          shared.unlock();  // the other fixtures go on while this one's tool runs
                          tool::CommandResult result = runner.RunStep(step, line, limit);
                          shared.lock();
                          return result;
                      },
                      [this] { return record_.Flush(); }, limits_.probeQuery,
                      [&] { return SerialRange(database::kSerialBlockWait, &events); }, ownTitle_,
                      fixture_.has_value()});
}

Verdict Station::CheckVerdict(const std::string& readyCaption) const {
    const CheckResult& check = lastCheck_;
    if (check.code == 0) {
        return Passed(readyCaption, check.probeOutput, check.probeOutput);
    }
    return Failed(check.code, check.probeOutput, ErrorText(check.code), check.probeOutput);
}

std::string Station::ErrorText(int code) const {
    return station::ErrorText(code, {paths_, settings_, lastCheck_});
}

ChecksumReport Station::ComputeChecksum() const {
    LogInfoText("写入文件校验");
    ChecksumReport report;
    report.checksum = integrity::FileChecksum(paths_.Hex_Path);
    report.text = paths_.Hex_Name + " 的校验值：" + report.checksum + "，信息已经保存到crc文件中。";
    LogInfoText(report.text);
    if (ModemChecksumMissing()) {
        report.modemChecksum = integrity::FileChecksum(settings_.chip.modemPath);
        const std::string modem = settings_.chip.modem + " 的校验值：" + report.modemChecksum +
                                  "，信息已经保存到crc文件中。";
        LogInfoText(modem);
        report.text += "\r\n" + modem;
    }
    return report;
}

void Station::SaveChecksum(const ChecksumReport& report) const {
    // With a modem, an image's checksum file that exists stays as it is: it guards its version.
    if (settings_.chip.modemPath.empty() || !os::FileExists(paths_.CRC_Path)) {
        integrity::WriteChecksumFile(paths_.CRC_Path, report.checksum);
    }
    if (!report.modemChecksum.empty()) {
        integrity::WriteChecksumFile(settings_.chip.modemChecksumPath, report.modemChecksum);
    }
}

std::string Station::OptionList(RunObserver& observer) const {
    const std::optional<tool::RefusedPath> refused =
        tool::FindRefusedPath(paths_.Bin_Path, settings_.Prog_Path);
    if (refused) {
        return RefusalMessage(*refused);
    }
    const std::string command =
        tool::OptionListCommand(settings_.station.programmer, settings_.Prog_Path);
    RunDisplay display(observer);
    return Runner(observer).Run(command, limits_.help, &display).output;
}

ToolRunner Station::Runner(RunObserver& observer) const {
    return ToolRunner(observer, paths_.Bin_Path, settings_.station.programmer);
}

void Station::ConfigureDatabase() {
    const database::StationDatabaseConfig& config = settings_.database;
    if (!database_ && !config.database && !config.pool) {
        return;  // never named: no worker, nothing shown
    }
    if (!database_) {
        database_ = std::make_unique<database::StationDatabase>(title_, databaseChanged_);
    }
    database_->Configure(config);
}

std::optional<std::string> Station::DatabaseState() {
    const std::lock_guard<std::recursive_mutex> shared(sharedMutex_);
    std::optional<std::string> text;
    if (database_) {
        for (const std::string& line : database_->TakeLogLines()) {
            LogInfoText(line);
        }
        text = station::StatusText(database_->Status());
    }
    if (mes_) {
        for (const std::string& line : mes_->TakeLogLines()) {
            LogInfoText(line);
        }
        const std::string state = mes::StatusText(mes_->Status());
        text = text ? *text + "  " + state : state;
    }
    return text;
}

database::SerialBlockAnswer Station::SerialRange(std::chrono::milliseconds wait,
                                                 RunObserver* observer) {
    const ChipSettings::Serial& serial = *settings_.chip.serial;
    if (serial.pool.empty()) {
        return database::SerialBlockAnswer::Range(serial.range);
    }
    if (!database_) {  // the pool's settings start the service; read once, so never here
        return database::SerialBlockAnswer::None(database::NoBlock::kNoConnection);
    }
    if (!observer) {
        return database_->SerialRange(wait);
    }
    WaitingForDatabase waiting(*observer, "正在等待数据库分配序列号……");
    return database_->SerialRange(wait, waiting.Callback());
}

mes::Answer Station::MesCheckAnswer(mes::Fields fields, RunObserver& observer) {
    WaitingForDatabase waiting(observer, "正在等待MES进站检查的应答……");
    return mes_->Check(std::move(fields), waiting.Callback());
}

database::LabelAnswer Station::DatabaseLabelPass(const std::string& recorded,
                                                 RunObserver& observer) {
    if (!database_) {
        return {};
    }
    WaitingForDatabase waiting(observer, "正在查询数据库中该标签的烧写记录……");
    return database_->LabelPassed(recorded, database::kLabelAnswerWait, waiting.Callback());
}

std::string Station::FixtureCountsText() {
    if (!fixture_) {
        return {};
    }
    const std::lock_guard<std::recursive_mutex> shared(sharedMutex_);
    fixtureCounts_.Follow(TodaysRecord(), title_);
    return fixtureCounts_.TileText();
}

}  // namespace station
