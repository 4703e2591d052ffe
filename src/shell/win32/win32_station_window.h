// The station window on Windows: native controls built from the layout table. It holds only its
// controls, their painting and the forwarding of events to its TRomForm.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "shell/entry_sequence.h"
#include "shell/layout_table.h"
#include "shell/win32/win32_bench_tiles.h"
#include "shell/win32/win32_gdi.h"
#include "shell/win32/win32_ui.h"
#include "station/form/MainForm.h"
#include "station/form/bench_view.h"
#include "station/form/station_view.h"

namespace shell {

class Win32StationWindow final : public station::StationView,
                                 public station::BenchView,
                                 public ApplicationWindow {
public:
    // Creates the window (hidden) with every control of the layout table, laid out and with
    // its fonts at the window's DPI. executablePath: the station program, whose folder is the
    // station folder ("" for this program's own, as the form takes it).
    explicit Win32StationWindow(HINSTANCE instance, std::string executablePath = {});
    ~Win32StationWindow() override;
    Win32StationWindow(const Win32StationWindow&) = delete;
    Win32StationWindow& operator=(const Win32StationWindow&) = delete;

    // ApplicationWindow
    station::TRomForm& Form() override { return form_; }
    void Show() override;
    int RunMessageLoop() override;

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

    // BenchView (win32_station_bench.cpp)
    void SetTileCount(int count) override;
    void ShowTile(int index, const station::TileView& tile) override;
    void SetToolButtonsEnabled(bool enabled) override;
    void PostBenchEvents() override;
    // The bench's tiles, for the tests; none without fixtures.
    const std::vector<std::unique_ptr<Win32Tile>>& Tiles() const { return tiles_; }
    const TileFonts& TileFontsAtDpi() const { return tileFonts_; }

    // The window and the control built for a table entry (RomForm: the window).
    HWND Control(ControlId id) const { return controls_[static_cast<std::size_t>(id)]; }
    // What the layout and the fonts are built at, and what Panel_Result is painted in.
    int Dpi() const { return dpi_; }
    HFONT VerdictFont() const { return verdictFont_.get(); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // One message as the loop handles it: dialog keys first, then translated and dispatched.
    void Dispatch(MSG& message);
    // Enter in an edit that has a handler (the board's label): runs it; false for any other key.
    bool TakeEnter(const MSG& message);
    void BuildControls(HINSTANCE instance);
    // Fonts, every control's place and the client area at dpi; the window keeps its top left.
    void ApplyDpi(int dpi);
    void DrawPanel(const DRAWITEMSTRUCT& item) const;
    // The tiles' fonts at dpi and each tile where the grid puts it in the verdict panel.
    void PlaceTiles(int dpi);
    // Sizes a label to its text, every line of it, but no further than its group's inside.
    void FitLabel(ControlId id) const;
    // Shows text in the label id, sized to it within its parent.
    void ShowInLabel(ControlId id, const std::string& text);

    // Posted by Show: the first refresh, after painting; by PostDatabaseChange; by
    // PostBenchEvents.
    static constexpr UINT kFirstShow = WM_APP + 1;
    static constexpr UINT kDatabaseChanged = WM_APP + 2;
    static constexpr UINT kBenchEvents = WM_APP + 3;

    station::TRomForm form_;
    HINSTANCE instance_;
    HWND window_ = nullptr;
    // window_ for PostDatabaseChange, which the database's worker calls on its own thread.
    std::atomic<HWND> postTarget_{nullptr};
    std::array<HWND, kLayout.size() + 1> controls_{};
    int dpi_ = 96;
    std::vector<Geometry> layout_;  // at 96 DPI, ResolveLayout's, indexed by ControlId
    int captionHeight_ = 0;         // of a group box, at 96 DPI
    Font formFont_;
    std::array<Font, kLayout.size() + 1> controlFonts_;  // the table's own fonts, by ControlId
    station::FontSpec verdictFontSpec_;
    Font verdictFont_;  // verdictFontSpec_ at the window's DPI
    station::Rgb verdictColour_ = station::kVerdictGreen;
    std::wstring verdictCaption_;
    TileFonts tileFonts_;  // at the window's DPI, shared by the tiles
    std::vector<std::unique_ptr<Win32Tile>> tiles_;
    bool checksumWanted_ = false;  // Button_CRC's state when the bench's runs let it be
    bool toolButtonsEnabled_ = true;
    std::atomic<bool> drainPosted_{false};  // a kBenchEvents is posted and not yet handled
};

}  // namespace shell
