// The station window on Linux: Qt Widgets built from the layout table. It holds only its
// controls, their painting and the forwarding of events to its TRomForm.
#pragma once

#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "shell/entry_sequence.h"
#include "shell/layout_table.h"
#include "station/form/MainForm.h"
#include "station/form/bench_view.h"
#include "station/form/station_view.h"

class QCloseEvent;
class QFileDialog;
class QShowEvent;

namespace shell {

class QtTile;

class QtStationWindow final : public QWidget,
                              public station::StationView,
                              public station::BenchView,
                              public ApplicationWindow {
    Q_OBJECT

public:
    // executablePath: as TRomForm takes it; "" for the running executable.
    explicit QtStationWindow(std::string executablePath = {}, QWidget* parent = nullptr);
    ~QtStationWindow() override;

    // ApplicationWindow
    station::TRomForm& Form() override { return form_; }
    void Show() override;
    int RunMessageLoop() override;

    // The control built for a table entry; owned by the window.
    QWidget* Control(ControlId id) const { return controls_[static_cast<std::size_t>(id)]; }
    template <class Widget>
    Widget* ControlAs(ControlId id) const {
        return qobject_cast<Widget*>(Control(id));
    }
    // OpenDialogHex: made when the operator first selects an image, null before.
    QFileDialog* OpenDialogHex() const { return openDialogHex_; }

    // StationView
    void SetVerdictCaption(const std::string& caption) override;
    void SetVerdictFont(const station::FontSpec& font, station::Rgb colour) override;
    void SetMemoText(const std::string& text) override;
    void SetSerialText(const std::string& text) override;
    void SetHexPathText(const std::string& text) override;
    void SetCommandText(const std::string& text) override;
    void SetChecksumEnabled(bool enabled) override;
    void SetStartEnabled(bool enabled) override;
    bool EraseChecked() const override;
    void ShowErrorBox(const std::string& title, const std::string& text) override;
    void ShowChecksumBox(const std::string& title, const std::string& text) override;
    std::string ChooseImage(const std::string& initialFolder) override;
    void ShowRunOutput(const std::string& text) override;
    void SetElapsedText(const std::string& text) override;
    void SetNextSerialText(const std::string& text) override;
    void SetCountsText(const std::string& text) override;
    void SetDatabaseText(const std::string& text) override;
    std::string LabelText() const override;
    void SetLabelText(const std::string& text) override;
    void SetLabelVisible(bool visible) override;
    void FocusLabel() override;
    void SelectLabelText() override;
    void PostDatabaseChange() override;
    void RepaintKeepingInput() override;
    void DispatchQueuedInput() override;
    void CloseWindow() override;
    void SetBusy(bool busy) override;
    void SetTicking(bool on) override;

    // BenchView (qt_station_bench.cpp)
    void SetTileCount(int count) override;
    void ShowTile(int index, const station::TileView& tile) override;
    void SetToolButtonsEnabled(bool enabled) override;
    void PostBenchEvents() override;
    // The bench's tiles, for the tests; none without fixtures.
    const std::vector<QtTile*>& Tiles() const { return tiles_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A button's mnemonic (Alt+S) clicks it at once, not after the pressed look Qt animates for
    // a while: a press queued during a run is then taken while the run still counts as running.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildLayout();
    QWidget* BuildControl(const ControlSpec& entry, const Geometry& geometry);
    void FitLabel(QWidget& label, ControlId id) const;
    // Shows text in the label id, sized to it within its parent.
    void ShowInLabel(ControlId id, const std::string& text);
    // Every control placed again from layout_ (the bench's grid came or went).
    void PlaceControls();
    // Moves the window, its client area as large as client, to the middle of its screen's
    // available area: a window that grew for the tiles keeps its bottom on the screen.
    void CentreOnScreen(const Geometry& client);

    station::TRomForm form_;
    int captionHeight_ = 0;         // of the group boxes, in the window's font
    std::vector<Geometry> layout_;  // ResolveLayout's, indexed by ControlId
    std::array<QWidget*, kLayout.size() + 1> controls_{};
    QFileDialog* openDialogHex_ = nullptr;
    QTimer* autostartTimer_ = nullptr;  // owned by the window
    bool shownOnce_ = false;
    std::vector<QtTile*> tiles_;   // owned by the verdict panel
    bool checksumWanted_ = false;  // Button_CRC's state when the bench's runs let it be
    bool toolButtonsEnabled_ = true;
    std::atomic<bool> drainPosted_{false};  // a DrainBench is queued and not yet run
};

// The message box the window shows: the icon, one OK button, title and plain text.
std::unique_ptr<QMessageBox> MakeMessageBox(QMessageBox::Icon icon, QWidget* owner,
                                            const QString& title, const QString& text);

}  // namespace shell
