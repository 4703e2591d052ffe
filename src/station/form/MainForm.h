// TRomForm: the station's one window as the station sees it, the presenter between the window
// and the Station. Its handlers forward the operator's actions to the Station and present what
// it returns through StationView, so the form is the same on every window toolkit. Its state is
// the Station's: the window and the tests see it through State().
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "station/form/action_queue.h"
#include "station/form/bench_panel.h"
#include "station/form/bench_view.h"
#include "station/form/form_handler.h"
#include "station/form/station_view.h"
#include "station/press/station.h"
#include "station/press/station_events.h"

namespace os {
class InstanceLock;
}

namespace station {

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

class TRomForm : private StationEvents {
public:
    // One of the window's handlers, as the layout table names it.
    using Handler = FormHandler;

    // view: the window's controls; it outlives the form. executablePath: the executable whose
    // folder is the station folder and whose name gives the application title; "" for the
    // running one. Nothing is read or shown before FormCreate.
    explicit TRomForm(StationView& view, std::string executablePath = {});
    ~TRomForm() override;
    TRomForm(const TRomForm&) = delete;
    TRomForm& operator=(const TRomForm&) = delete;

    // Runs once, after every control exists and before the window is shown: claims the
    // single-instance name and derives the paths.
    void FormCreate();

    // The handlers. The window runs them through Handle.
    void FormShow();
    void Button_StartClick();
    void Button_GetJlinkClick();
    void Button_SelectClick();
    void Button_CRCClick();
    void Button_HelpClick();
    void Button_ExitClick();
    // Enter in the label field: presses 开始; while the station waits for a board to start by
    // itself, the press waits for the board instead (and the board found first, for its label).
    void Edit_BoardLabelReturn();
    // While the station waits for a new board to start by itself, the window calls it every
    // kTickInterval: one look at the fixture; a new board that settled is pressed as 开始 would,
    // once its label is scanned when the station asks for labels.
    void AutostartTick();

    // Derives the paths again (for the default image when first) and shows them, reads
    // config.ini again and sets the write-checksum button.
    void Init(bool first);
    // Runs the check; true when the station is ready.
    bool CheckReady();
    // The message of code, naming what the station and its last check hold now.
    std::string ErrorText(int code) const { return station_.ErrorText(code); }
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
    const std::string& AppTitle() const { return station_.Title(); }
    // True when another copy under the same title already ran at FormCreate.
    bool AnotherCopyRunning() const;

    StationState State() const;
    // What the last check found.
    const CheckResult& LastCheck() const { return station_.LastCheck(); }
    // config.ini's settings as the last check read them.
    const StationSettings& Settings() const { return station_.Settings(); }
    // The text area's text exactly as the station set it; what the log gets.
    const std::string& MemoText() const { return memoText_; }

    void SetRunLimits(const RunLimits& limits);

    // The bench (config.ini names fixtures; see bench_view.h). The window attaches its tiles
    // before FormCreate; a window without tiles never does, and stays the one-fixture window.
    void AttachBench(BenchView& bench) { bench_ = &bench; }
    // A click on tile index: its output goes to Memo_Output. On the window's thread.
    void TileClicked(int index);
    // What the fixtures' presses posted (BenchView::PostBenchEvents) painted on the tiles and in
    // Memo_Output. On the window's thread.
    void DrainBench();

    // The factory database's state changed: shows it in Label_Database and logs its lines. The
    // window calls it on its own thread once PostDatabaseChange has asked for it.
    void DatabaseChanged();
    // The factory database's service; null until config.ini first names a database or a pool.
    const database::StationDatabase* Database() const { return station_.Database(); }

private:
    void SetMemoText(const std::string& text);
    // One press as 开始 makes it; false when the label was refused and nothing ran.
    bool PressBoard();
    // PressBoard from inside another operation (a look, Enter in the label field), which then
    // counts as a press: a press of 开始 taken meanwhile is dropped.
    bool PressAsStart();
    // How the one-at-a-time rule tells the handler's action apart.
    static ActionKind KindOf(Handler handler);
    // The panel's request while the station waits ("请放入电路板", "请扫描条码").
    void ShowWaitingFor(const char* request);
    // Gives the label field the focus; a refused label still in it is selected, so that the
    // next scan replaces it.
    void FocusLabel();
    // Reads config.ini's fixtures: the bench's tiles with some, the one-fixture window without.
    void ConfigureBench(bool first);
    bool Watching() const;
    bool BenchRunning() const { return benchPanel_ && benchPanel_->AnyRunning(); }
    // The tool buttons with fixtures: false while a fixture presses (no probe is asked, the
    // image stays); otherwise true once the autostart looks under way have ended.
    bool BenchToolsFree();
    void BenchRefresh();

    // How the form presents what the station tells while it works.
    void ShowRunOutput(const std::string& text) override { view_.ShowRunOutput(text); }
    void SetElapsedText(const std::string& text) override { view_.SetElapsedText(text); }
    void KeepResponsive() override { view_.RepaintKeepingInput(); }
    void SettingsRead(const std::string& commandTemplate) override;
    void DatabaseStateRead(const std::string& text) override { view_.SetDatabaseText(text); }
    void CheckStarting() override { view_.SetVerdictCaption("--"); }
    void RunStarting() override;
    void VerdictReached(const Verdict& verdict) override { ShowResult(verdict); }
    void PressFinished(const PressOutcome& outcome) override;

    StationView& view_;
    BenchView* bench_ = nullptr;  // the window's tiles; none for a window without them
    std::unique_ptr<os::InstanceLock> instanceLock_;
    int errorCode_ = 0;  // the code of the last verdict's step
    std::string memoText_;
    int handling_ = 0;           // Handle's calls under way, nested ones included
    bool boardWaiting_ = false;  // autostart found a new board that waits for its label
    bool closeRequested_ = false;
    std::string refusedLabel_;  // the label the station refused last, while it is in the field
    ActionQueue actions_;
    // Last, so that it is gone, with the database's worker, before the rest of the form.
    Station station_;
    // With fixtures in config.ini and a window with tiles; gone first, after its last run.
    std::unique_ptr<BenchPanel> benchPanel_;
};

}  // namespace station
