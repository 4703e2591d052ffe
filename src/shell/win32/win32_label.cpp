// The labels of the Win32 window, each sized to its text within its group, and the board's label
// field: its text, whether it shows, its focus, and Enter.
#include "shell/win32/win32_station_window.h"

namespace shell {

namespace {

using os::win32::Narrow;
using os::win32::Widen;

}  // namespace

void Win32StationWindow::FitLabel(ControlId id) const {
    HWND label = Control(id);
    const int length = ::GetWindowTextLengthW(label);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::GetWindowTextW(label, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    const SIZE size =
        TextSize(reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0)), text);
    const Geometry at = ScaledForDpi(InWindow(id, layout_), dpi_);
    const Geometry inside =
        ScaledForDpi(ParentToWindow(id, ParentArea(id, layout_, captionHeight_), layout_), dpi_);
    const Geometry g = Clipped({at.left, at.top, size.cx, size.cy}, inside);
    ::SetWindowPos(label, nullptr, g.left, g.top, g.width, g.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32StationWindow::ShowInLabel(ControlId id, const std::string& text) {
    ::SetWindowTextW(Control(id), Widen(text).c_str());
    FitLabel(id);
}

void Win32StationWindow::SetElapsedText(const std::string& text) {
    ShowInLabel(ControlId::Label_Elapsed, text);
}

void Win32StationWindow::SetNextSerialText(const std::string& text) {
    ShowInLabel(ControlId::Label_NextSerial, text);
}

void Win32StationWindow::SetCountsText(const std::string& text) {
    ShowInLabel(ControlId::Label_Counts, text);
}

void Win32StationWindow::SetDatabaseText(const std::string& text) {
    ShowInLabel(ControlId::Label_Database, text);
}

std::string Win32StationWindow::LabelText() const {
    HWND edit = Control(ControlId::Edit_BoardLabel);
    const int length = ::GetWindowTextLengthW(edit);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(edit, text.data(), length + 1)));
    return Narrow(text.c_str());
}

void Win32StationWindow::SetLabelText(const std::string& text) {
    ::SetWindowTextW(Control(ControlId::Edit_BoardLabel), Widen(text).c_str());
}

void Win32StationWindow::SetLabelVisible(bool visible) {
    for (const ControlId id : {ControlId::Label_BoardLabel, ControlId::Edit_BoardLabel}) {
        ::ShowWindow(Control(id), visible ? SW_SHOWNA : SW_HIDE);
    }
}

void Win32StationWindow::FocusLabel() {
    HWND edit = Control(ControlId::Edit_BoardLabel);
    if (::IsWindowVisible(edit)) {
        ::SetFocus(edit);
    }
}

void Win32StationWindow::SelectLabelText() {
    ::SendMessageW(Control(ControlId::Edit_BoardLabel), EM_SETSEL, 0, -1);
}

bool Win32StationWindow::TakeEnter(const MSG& message) {
    if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN) {
        return false;
    }
    for (const ControlSpec& entry : kLayout) {
        if (entry.kind == ControlKind::kEdit && entry.handler &&
            message.hwnd == Control(entry.id)) {
            // Not the dialog manager's default button: Enter, as a scanner ends its label, runs
            // the edit's own handler, through the guard as a click.
            form_.Handle(entry.handler);
            return true;
        }
    }
    return false;
}

}  // namespace shell
