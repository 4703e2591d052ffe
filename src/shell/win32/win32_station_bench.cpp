// The Win32 window's bench: the tiles in place of the verdict, the window grown for them, the
// tool buttons while fixtures run, and the fixtures' posts drained on the window's thread.
#include "shell/win32/win32_station_window.h"

namespace shell {

void Win32StationWindow::SetTileCount(int count) {
    if (static_cast<std::size_t>(count) == tiles_.size()) {
        return;
    }
    tiles_.clear();
    for (int i = 0; i < count; ++i) {
        tiles_.push_back(std::make_unique<Win32Tile>(instance_, window_, tileFonts_,
                                                     [this, i] { form_.TileClicked(i); }));
    }
    layout_ = ResolveBenchLayout(captionHeight_, count);
    ApplyDpi(dpi_);  // every control moved, the tiles placed, the window grown or shrunk
    // A window that grew keeps its caption on the screen.
    CentreOnWorkArea(window_);
}

void Win32StationWindow::PlaceTiles(int dpi) {
    if (tiles_.empty()) {
        tileFonts_ = TileFonts{};
        return;
    }
    tileFonts_ = MakeTileFonts(dpi);
    const int count = static_cast<int>(tiles_.size());
    const Geometry panel = InWindow(ControlId::Panel_Result, layout_);
    for (int i = 0; i < count; ++i) {
        const Geometry inPanel = TileGeometry(i, count);
        tiles_[static_cast<std::size_t>(i)]->Place(
            ScaledForDpi(Geometry{panel.left + inPanel.left, panel.top + inPanel.top, inPanel.width,
                                  inPanel.height},
                         dpi),
            inPanel.width);
    }
}

void Win32StationWindow::ShowTile(int index, const station::TileView& tile) {
    if (index >= 0 && static_cast<std::size_t>(index) < tiles_.size()) {
        tiles_[static_cast<std::size_t>(index)]->Show(tile);
    }
}

void Win32StationWindow::SetToolButtonsEnabled(bool enabled) {
    toolButtonsEnabled_ = enabled;
    HWND focus = ::GetFocus();
    bool focusLost = false;
    for (ControlId id : {ControlId::Button_GetJlink, ControlId::Button_Select,
                         ControlId::Button_CRC, ControlId::Button_Help}) {
        focusLost = focusLost || (!enabled && focus == Control(id));
        ::EnableWindow(Control(id), enabled && (id != ControlId::Button_CRC || checksumWanted_));
    }
    // A disabled button loses the focus to nothing, and the scanner's next label with it: the
    // focus goes where the operator's keys are still taken.
    if (focusLost) {
        ::SetFocus(Control(ControlId::Button_Start));
        FocusLabel();
    }
}

void Win32StationWindow::PostBenchEvents() {
    if (drainPosted_.exchange(true)) {
        return;  // the message already posted drains these events too
    }
    // Posting never waits for the window; a window gone meanwhile drops it.
    HWND target = postTarget_;
    if (!target || !::PostMessageW(target, kBenchEvents, 0, 0)) {
        drainPosted_ = false;
    }
}

}  // namespace shell
