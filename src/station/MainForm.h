// TRomForm: the station's one window as the station sees it. It holds the station state as fields
// and every operator action as a method, and reaches the controls only through StationView, so
// it is the same on every window toolkit.
#pragma once

#include <chrono>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "form_handler.h"
#include "log4me.h"
#include "production_record.h"
#include "programmer.h"
#include "run_command.h"
#include "station_config.h"
#include "station_view.h"

namespace os {
class InstanceLock;
}
class RunDisplay;

// How long each kind of tool run may take before it is ended.
struct RunLimits {
    std::chrono::milliseconds probeQuery = tool::kProbeQueryLimit;
    std::chrono::milliseconds help = tool::kHelpLimit;
    std::chrono::milliseconds programming = tool::kProgrammingLimit;
};

// What the last check found beyond its code, kept so that nothing of it is computed again.
struct CheckOutcome {
    bool probeQueried = false;  // the probe query ran, so Prog_Sn is its output
    // The image's checksum as computed, when the check got that far (also on a mismatch).
    std::string computedChecksum;
    std::optional<tool::RefusedPath> refusedPath;  // the path no run may use (error 110)
    // The serial of the probe the station uses: the pinned one, or the only one listed.
    std::string probeSerial;
    // Why the folder of the log and the record cannot take a line (error 113).
    std::string logFolderProblem;
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

    // Station state. UTF-8 text; paths use the platform's separator.
    std::string App_Path;     // the station folder, ending in the separator
    std::string Bin_Path;     // App_Path + "bin" + separator; the working folder of every tool run
    std::string Hex_Path;     // the image in use
    std::string Hex_Md5;      // the image's checksum, set only by a passing check
    std::string Prog_Path;    // Bin_Path + the programmer's file name
    std::string Prog_Para;    // the fixed trailing programmer options
    std::string Prog_Sn;      // the whole output of the last probe query
    std::string CRC_Path;     // the image's checksum file
    std::string Log_Path;     // App_Path + "logs"
    std::string Config_Path;  // App_Path + "config.ini"
    std::string Hex_Name;     // the image's file name
    int Error_Code = 0;       // the last check's error code; 0 for none

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

    // Station logic.
    void Init(bool first);
    bool CheckReady();
    std::string ErrorText(int code) const;
    // What the last check found beyond Error_Code and Prog_Sn.
    const CheckOutcome& LastCheck() const { return lastCheck_; }
    // config.ini's section "log4me" as the last check read it: where the log and the record go.
    const log4me::LogConfig& LogSettings() const { return logConfig_; }

    // Verdict display.
    void ShowResult(const std::string& status, const std::string& detail);

    // The guard every handler runs in: an error raised inside it ends it in the error box. What
    // the operator did while it ran is taken when it ends, while it still counts as running: a
    // handler asked for then runs after it, in order, except a press of start, which is dropped,
    // so that a run is never started twice.
    void Handle(Handler handler);
    bool OperationRunning() const { return busy_; }
    // The window asks to close: true when it may close now; otherwise the form closes it
    // (CloseWindow) once the running operation and those waiting for it have ended.
    bool RequestClose();

    // The application title: the name of the single-instance claim and of every message box.
    const std::string& AppTitle() const { return title_; }
    // True when another copy under the same title already ran at FormCreate.
    bool AnotherCopyRunning() const;

    // The text area's text exactly as the station set it; what the log gets.
    const std::string& MemoText() const { return memoText_; }
    void SetMemoText(const std::string& text);

    void SetRunLimits(const RunLimits& limits) { limits_ = limits; }

private:
    // The check's probe query: the serials it listed; nothing when no probe answered.
    std::optional<std::vector<std::string>> QueryProbes();
    // The check's step after the probe query: binds the station to its probe among the listed
    // serials; false with Error_Code set when it cannot.
    bool BindProbe(const std::vector<std::string>& listed);
    // Reads config.ini's [station] and [log4me] sections again and derives what they decide: the
    // programmer's path, the command template shown in Edit_Para and where the record goes.
    void ApplyStationConfig();
    // The check's step for the folder of the log and the record: it must be there, take a
    // file and have room for a day's rows, and no row of an earlier press may wait in memory;
    // false with Error_Code set otherwise.
    bool LogFolderTakesLines();
    // After a verdict: appends the press's record, and tells the operator when its row could be
    // put nowhere on disk.
    void WriteRecord(const ProductionRecord& record);
    // The command lines of a programming run, in order, each to run only when the one before
    // succeeded: one for nrfjprog, the steps of nrfutil.
    std::vector<std::string> ProgrammingCommands(bool erase) const;
    // What a programming run gave: the verdict's detail (the tool's output, or the account of
    // nrfutil's steps), whether it succeeded, and its last tool run (for the record).
    struct ProgrammingOutcome {
        std::string detail;
        bool succeeded = false;
        tool::CommandResult lastRun;
    };
    ProgrammingOutcome RunProgramming(const std::vector<std::string>& commands);
    // Every run of the programmer tool: in Bin_Path, with the window repainting while it runs
    // and, with a display, showing the run's progress.
    tool::CommandResult RunTool(const std::string& commandLine, std::chrono::milliseconds limit,
                                RunDisplay* display = nullptr);

    StationView& view_;
    std::string executablePath_;
    RunLimits limits_;
    std::string title_;
    std::unique_ptr<os::InstanceLock> instanceLock_;
    std::string memoText_;
    StationConfig config_;  // config.ini's [station] section, read again by Init and every check
    log4me::LogConfig logConfig_;  // its [log4me] section, read with it
    ProductionRecordFile record_;
    CheckOutcome lastCheck_;
    bool busy_ = false;
    bool closeRequested_ = false;
    std::deque<Handler> waiting_;
};
