// The station as a session, without any window: it derives its paths, reads config.ini, checks
// itself, runs a press from the check to the settled serial number (check, reserve, plan, run,
// record, settle, today's counts, the factory database told) and returns what happened. It owns
// the record's appender, the chips seen today, the serial numbers and the database's service.
// What it shows while it works goes through StationEvents; it never paints anything itself.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mes/body_template.h"
#include "mes/mes_answer.h"
#include "station/check/check.h"
#include "station/press/autostart_watch.h"
#include "station/press/press_outcome.h"
#include "station/press/station_events.h"
#include "station/press/station_shared.h"
#include "station/run/press_batch.h"
#include "station/run/programming_run.h"
#include "station/run/verdict.h"
#include "station/settings/fixture_settings.h"
#include "station/settings/station_paths.h"
#include "station/settings/station_settings.h"
#include "tool/run_command.h"

namespace station {

// How long each kind of tool run may take before it is ended.
struct RunLimits {
    std::chrono::milliseconds probeQuery = tool::kProbeQueryLimit;
    std::chrono::milliseconds help = tool::kHelpLimit;
    std::chrono::milliseconds programming = tool::kProgrammingLimit;
};

// What 写入校验 computed: the image's checksum and the sentence the operator reads.
struct ChecksumReport {
    std::string checksum;
    std::string text;
    // With [chip] modem: the modem firmware's checksum, when its checksum file is still to be
    // written; "" otherwise.
    std::string modemChecksum;
};

class Station {
public:
    // executablePath: the station program, whose folder is the station folder and whose name
    // gives the title. databaseChanged: called on the database worker's thread when its state
    // changed; it must only ask the caller's thread to call DatabaseState soon.
    Station(std::string executablePath, std::function<void()> databaseChanged);
    // A fixture of a bench: pressing through fixture's probe alone, sharing shared with the
    // bench's other fixtures, naming its press's files, rows and serial numbers' reservation
    // after the fixture.
    Station(std::string executablePath, std::function<void()> databaseChanged,
            std::shared_ptr<StationShared> shared, FixtureSettings fixture);
    ~Station();
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    const std::string& Title() const { return title_; }
    const std::string& ExecutablePath() const { return executablePath_; }
    // The image the operator chose; "" for the default.
    const std::string& ChosenImage() const { return hexPath_; }
    // What this station shares with the fixtures of a bench in its folder.
    const std::shared_ptr<StationShared>& Shared() const { return shared_; }
    void SetRunLimits(const RunLimits& limits) { limits_ = limits; }
    const RunLimits& Limits() const { return limits_; }

    // Derives the paths again (for the default image when first) and reads config.ini again.
    void Init(bool first, StationEvents& events);
    // The image the operator chose; Init takes it.
    void ChooseImage(const std::string& path) { hexPath_ = path; }
    // A checksum file is written once, for an image that exists (and for the modem firmware
    // that exists, with [chip] modem).
    bool ChecksumWritable() const;

    // Reads config.ini again and runs the check. Throws os::FileError's message when a file
    // that exists could not be read.
    const CheckResult& Check(StationEvents& events);
    // The verdict of the last check: readyCaption in green when it passed.
    Verdict CheckVerdict(const std::string& readyCaption) const;
    // The message of code, naming what the station and its last check hold now.
    std::string ErrorText(int code) const;

    // One press of start, erase as the operator chose. Every press has its row, also when an
    // error ends it (then the error goes on to the caller, after PressFinished). With [trace]
    // label=yes the board's label comes first: a label the last check's settings refuse is no
    // press at all (nothing runs, no row, no PressFinished; the outcome says why, the log has a
    // line); an accepted one is logged as "LABEL=" and goes into the row.
    PressOutcome Press(bool erase, StationEvents& events, std::string_view scannedLabel = {});
    // At start: a number a crash or a power cut left reserved gets its FAIL row first.
    void VoidNumberCutOff();

    // A press that starts by itself ([station] autostart=yes): true while the station waits for
    // a new board, that is while autostart is on and the last check passed.
    bool Watching() const;
    // One look at the fixture while Watching, and what it means (autostart_watch.h). The waiting
    // begins again at every check, so a board in the fixture then is not new. Logs a line when
    // the fixture is first seen empty and when a new board has settled. With [trace] deviceid,
    // a new board's DEVICEID is read first: a chip that passed here today is not pressed (kWait,
    // with a line in the log saying why); 开始 still presses it.
    AutostartWatch::Action LookAtFixture(RunObserver& observer);

    // 写入校验 in two steps, so that the operator reads the sentence before the file is written.
    // With [chip] modem, the modem firmware's checksum file is written too when it is missing;
    // the image's is then written only when it is missing.
    ChecksumReport ComputeChecksum() const;
    void SaveChecksum(const ChecksumReport& report) const;
    // 参数列表: the programmer's option list, or why it is not run.
    std::string OptionList(RunObserver& observer) const;

    // Label_NextSerial and Label_Counts now.
    std::string NextSerialText();
    std::string CountsText();
    // A bench fixture's own counts today, for its tile; "" for a one-fixture station.
    std::string FixtureCountsText();
    // The database's state for Label_Database, its lines logged, and the MES's after it; none
    // while config.ini has never named a database, a pool or an MES.
    std::optional<std::string> DatabaseState();
    const database::StationDatabase* Database() const { return database_.get(); }
    // The fixture this station presses as; none for a one-fixture station.
    const std::optional<FixtureSettings>& Fixture() const { return fixture_; }

    const StationPaths& Paths() const { return paths_; }
    const StationSettings& Settings() const { return settings_; }
    const CheckResult& LastCheck() const { return lastCheck_; }
    const std::string& CheckedChecksum() const { return hexMd5_; }

private:
    struct Pressed;
    void ApplySettings(StationEvents& events);
    bool ModemChecksumMissing() const;
    void ConfigureDatabase();
    ToolRunner Runner(RunObserver& observer) const;
    // Why a board that settled in the fixture is not pressed by itself, for the log; "" to press.
    std::string KnownChip(RunObserver& observer);
    // The scanned label judged, when the station asks for one: false when it was refused.
    bool TakeLabel(std::string_view scanned, Pressed& press, PressOutcome& outcome,
                   RunObserver& observer);
    // With [mes]: the label's route check; false, with the refusal in outcome, when the press
    // may not go on. mesCheck: the row's mes_check ("ok", "unreachable", "" without a check).
    bool RouteCheck(const std::string& label, std::string& mesCheck, PressOutcome& outcome,
                    RunObserver& observer);
    // The press's report to the MES, on the station's disk before the verdict shows; "" or the
    // line that says why it could not be written.
    std::string ReportToMes(const record::ProductionRecord& row);
    // False, with the press's own 114 verdict, when config.ini gained [mes] after the label's
    // route check would have been made: the press may not go on without one.
    bool RouteChecked(Pressed& press);
    // Whether config.ini has the MES check each board's route (a usable [mes] with labels on).
    bool MesRouteChecks() const;
    void ConfigureMes();
    // The MES's answer to a route check, waited for while the window keeps painting.
    mes::Answer MesCheckAnswer(mes::Fields fields, RunObserver& observer);
    // What the factory's database says of a label, waited for at most kLabelAnswerWait while
    // the window keeps painting; kNoDatabase without one.
    database::LabelAnswer DatabaseLabelPass(const std::string& recorded, RunObserver& observer);
    // The check, the files and plan of the press's recipe, its number, its run and verdict.
    void RunPress(bool erase, StationEvents& events, Pressed& press);
    void RunThePlan(const RunPlan& plan, bool erase, StationEvents& events, Pressed& press);
    // The verdict shown, after the press's report to the MES was written.
    void ReachVerdict(bool erase, StationEvents& events, Pressed& press);
    // The board's number reserved; false, with the press's own 114 verdict, when none is left.
    bool ReserveSerialNumber(Pressed& press, RunObserver& observer);
    // With [chip] sessions=fewest and nrfutil: the press's batch file made of plan when it is not
    // yet, before a number is taken. False, with the press's verdict (107, or 114 when the file
    // cannot take the number), when the tool could not make it or it cannot take the number.
    bool BatchReady(const RunPlan& plan, RunObserver& observer, Pressed& press);
    // The press's row as far as it got, for the record and the MES's report alike; raised: an
    // error ended it. Not yet stamped.
    record::ProductionRecord RowOf(const Pressed& press, bool erase, bool raised) const;
    void FinishPress(const Pressed& press, bool erase, bool raised, PressOutcome& outcome);
    void WriteRecord(record::ProductionRecord& row, std::vector<std::string>& notes);
    // The passed-chip and passed-label indexes learn of a row just written; its DEVICEID logged.
    void IndexRow(const record::ProductionRecord& row, const std::string& verdict);
    // Settles the board's number; a failure is told in notes and the log.
    void SettleNumber(std::uint32_t number, std::vector<std::string>& notes);
    // The FAIL row of a number whose run was cut off (a crash, a power cut), and the number
    // settled: every gap in the numbers is explained by a row.
    void VoidNumber(std::uint32_t number);
    std::string TodaysRecord() const;
    database::SerialBlockAnswer SerialRange(std::chrono::milliseconds wait, RunObserver* observer);

    // The check's shared part under the shared mutex; a fixture's tool runs outside it.
    void CheckLocked(StationEvents& events);
    std::string FixtureName() const { return fixture_ ? fixture_->name : std::string(); }

    const std::string executablePath_;
    const std::string title_;
    const std::optional<FixtureSettings> fixture_;
    // What names the press's own files and its serial number's reservation: the title, and a
    // fixture's name after it ("<title>.<fixture>").
    const std::string ownTitle_;
    std::function<void()> databaseChanged_;
    RunLimits limits_;
    std::string hexPath_;       // the image the operator chose; "" for the default
    StationPaths paths_;        // derived by Init
    StationSettings settings_;  // read by Init and by every check
    CheckResult lastCheck_;
    std::string hexMd5_;  // the last passing check's checksum; Init keeps it
    AutostartWatch watch_;
    BatchFile batch_;  // the press's batch, with [chip] sessions=fewest and nrfutil
    const std::shared_ptr<StationShared> shared_;
    std::recursive_mutex& sharedMutex_ = shared_->mutex;
    ProductionRecordFile& record_ = shared_->record;
    PassedChips& passedChips_ = shared_->passedChips;
    PassedLabels& passedLabels_ = shared_->passedLabels;
    DayCounts& dayCounts_ = shared_->dayCounts;
    DayCounts fixtureCounts_{fixture_ ? std::optional(fixture_->name) : std::nullopt};
    std::unique_ptr<database::StationDatabase>& database_ = shared_->database;
    std::unique_ptr<mes::StationMes>& mes_ = shared_->mes;
};

}  // namespace station
