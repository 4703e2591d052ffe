// TRomForm: the station's one window as the station sees it. Its handlers run the station's
// steps (the paths, the check, the run plan, the run, the verdict), each a function of its
// inputs, and present what they return through StationView, so the form is the same on every
// window toolkit. Its state is its own: the window and the tests see it through State().
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "check.h"
#include "day_counts.h"
#include "form_handler.h"
#include "passed_chips.h"
#include "production_record.h"
#include "programmer.h"
#include "programming_run.h"
#include "station_paths.h"
#include "station_settings.h"
#include "station_view.h"
#include "tool_run.h"
#include "verdict.h"

namespace os {
class InstanceLock;
}

// How long each kind of tool run may take before it is ended.
struct RunLimits {
    std::chrono::milliseconds probeQuery = tool::kProbeQueryLimit;
    std::chrono::milliseconds help = tool::kHelpLimit;
    std::chrono::milliseconds programming = tool::kProgrammingLimit;
};

// The station's state as the operator's actions left it, under the names line engineers know
// it by. A copy: changing it changes nothing.
struct StationState {
    std::string App_Path;
    std::string Bin_Path;
    std::string Hex_Path;
    std::string Hex_Md5;  // the image's checksum, set only by a passing check
    std::string Prog_Path;
    std::string Prog_Para;
    std::string Prog_Sn;  // the whole output of the last probe query
    std::string CRC_Path;
    std::string Log_Path;
    std::string Config_Path;
    std::string Hex_Name;
    int Error_Code = 0;  // the last check's code, or 107 after a failed run; 0 for none
};

class TRomForm {
public:
    // One of the window's handlers, as the layout table names it.
    using Handler = FormHandler;

    // view: the window's controls; it outlives the form. executablePath: the executable whose
    // folder is the station folder and whose name gives the application title; "" for the
    // running one. Nothing is read or shown before FormCreate.
    explicit TRomForm(StationView& view, std::string executablePath = {});
    ~TRomForm();
    TRomForm(const TRomForm&) = delete;
    TRomForm& operator=(const TRomForm&) = delete;

    // Runs once, after every control exists and before the window is shown: takes the title,
    // claims the single-instance name and derives the paths.
    void FormCreate();

    // The handlers. The window runs them through Handle.
    void FormShow();
    void Button_StartClick();
    void Button_GetJlinkClick();
    void Button_SelectClick();
    void Button_CRCClick();
    void Button_HelpClick();
    void Button_ExitClick();

    // Derives the paths again (for the default image when first) and shows them, reads
    // config.ini again and sets the write-checksum button.
    void Init(bool first);
    // Runs the check; true when the station is ready.
    bool CheckReady();
    // The message of code, naming what the station and its last check hold now.
    std::string ErrorText(int code) const;
    // Paints the verdict, shows its text in the text area and logs it (at error level too when
    // it carries a code), and shows the probe's output in the serial label.
    void ShowResult(const Verdict& verdict);

    // The guard every handler runs in: an error raised inside it ends it in the error box. What
    // the operator did while it ran is taken when it ends, while it still counts as running: a
    // handler asked for then runs after it, in order, except a press of start, which is dropped,
    // so that a run is never started twice.
    void Handle(Handler handler);
    // The window asks to close: true when it may close now; otherwise the form closes it
    // (CloseWindow) once the running operation and those waiting for it have ended.
    bool RequestClose();

    // The application title: the name of the single-instance claim and of every message box.
    const std::string& AppTitle() const { return title_; }
    // True when another copy under the same title already ran at FormCreate.
    bool AnotherCopyRunning() const;

    StationState State() const;
    // What the last check found.
    const CheckResult& LastCheck() const { return lastCheck_; }
    // config.ini's settings as the last check read them.
    const StationSettings& Settings() const { return settings_; }
    // The text area's text exactly as the station set it; what the log gets.
    const std::string& MemoText() const { return memoText_; }

    void SetRunLimits(const RunLimits& limits) { limits_ = limits; }

    // The factory database's state changed: shows it in Label_Database and logs its lines. The
    // window calls it on its own thread once PostDatabaseChange has asked for it.
    void DatabaseChanged();
    // The factory database's service; null until config.ini first names a database or a pool.
    const database::StationDatabase* Database() const { return database_.get(); }

private:
    void SetMemoText(const std::string& text);
    // Reads config.ini again and shows the command template it gives.
    void ApplySettings();
    ToolRunner Runner() const;
    // The verdict of the last check: readyCaption in green when it passed.
    Verdict CheckVerdict(const std::string& readyCaption) const;
    // After a verdict: appends the press's row, and tells the operator when it could be put
    // nowhere on disk.
    void WriteRecord(ProductionRecord& row);
    // What a press found beyond the check: the serial number it reserved and its run.
    struct Press {
        std::optional<std::uint32_t> serialNumber;
        std::optional<RunResult> run;
    };
    // Reserves the board's serial number when config.ini gives the station a range; false with
    // the check's code set to 114 when the range is used up.
    bool ReserveSerialNumber(Press& press);
    // On every way out of a press: its row, the chip's log lines, the same-chip note, and the
    // serial number settled.
    void FinishPress(const Press& press, bool erase, bool raised);
    // The FAIL row of a number whose run was cut off (a crash, a power cut), and the number
    // settled: every gap in the numbers is explained by a row.
    void RecordVoidedNumber(std::uint32_t number);
    // Label_NextSerial: the number the next board gets, when the station numbers its boards.
    void ShowNextSerial();
    // Label_Counts: today's counts, from the day's record when the day is new to the form.
    void ShowCounts();
    // Today's record, as the logger's clock and config.ini's [log4me] say now.
    std::string TodaysRecord() const;
    // Hands what config.ini says of the factory's database to its service, starting the
    // service when it is first named.
    void ConfigureDatabase();
    // Where the next board's number comes from when the station numbers its boards: the
    // configured range, or the pool's block, waiting at most wait for a new one.
    database::SerialBlockAnswer SerialRange(std::chrono::milliseconds wait);

    StationView& view_;
    std::string executablePath_;
    RunLimits limits_;
    std::string title_;
    std::unique_ptr<os::InstanceLock> instanceLock_;
    std::string hexPath_;       // the image the operator chose; "" for the default
    StationPaths paths_;        // derived by Init
    StationSettings settings_;  // read by Init and by every check
    CheckResult lastCheck_;
    std::string hexMd5_;  // the last passing check's checksum; Init keeps it
    int errorCode_ = 0;   // the code of the last verdict's step
    std::string memoText_;
    ProductionRecordFile record_;
    PassedChips passedChips_;
    DayCounts dayCounts_;
    bool busy_ = false;
    bool closeRequested_ = false;
    std::deque<Handler> waiting_;
    // Last, so that it is gone, with its worker, before anything it tells the form of.
    std::unique_ptr<database::StationDatabase> database_;
};
