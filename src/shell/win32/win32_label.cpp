// The board's label field of the Win32 window: its text, whether it shows, its focus, and Enter.
#include "shell/win32/win32_station_window.h"

namespace shell {

namespace {

using os::win32::Narrow;
using os::win32::Widen;

}  // namespace

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
