// The window's modal parts and its message loop during an operation: the message boxes, the
// image dialog, and the pumping that paints while keys and clicks wait in the queue.
#include "shell/win32/win32_station_window.h"

namespace shell {

namespace {

using os::win32::Narrow;
using os::win32::Widen;

}  // namespace

void Win32StationWindow::ShowErrorBox(const std::string& title, const std::string& text) {
    ::MessageBoxW(window_, Widen(text).c_str(), Widen(title).c_str(), MB_ICONERROR | MB_OK);
}

void Win32StationWindow::ShowChecksumBox(const std::string& title, const std::string& text) {
    ::MessageBoxW(window_, Widen(text).c_str(), Widen(title).c_str(), MB_OK);
}

std::string Win32StationWindow::ChooseImage(const std::string& initialFolder) {
    const std::wstring folder = Widen(initialFolder);
    std::wstring file(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = L"hex\0*.hex\0";
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.c_str();
    dialog.lpstrDefExt = L"hex";
    // No OFN_FILEMUSTEXIST: a name that does not exist is taken, and the check reports it.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
    if (!::GetOpenFileNameW(&dialog)) {
        return {};
    }
    return Narrow(file.c_str());
}

void Win32StationWindow::RepaintKeepingInput() {
    // Paint, sent and posted messages only: keys and clicks stay queued until the operation
    // has ended. Bounded, so a window that keeps asking to be painted cannot hold the run.
    MSG message{};
    for (int i = 0; i < 1000 &&
                    ::PeekMessageW(&message, nullptr, 0, 0,
                                   PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE | PM_QS_POSTMESSAGE);
         ++i) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));  // for the message loop
            return;
        }
        ::DispatchMessageW(&message);
    }
}

void Win32StationWindow::DispatchQueuedInput() {
    // Bounded like the repaint, and a quit request stays for the message loop.
    MSG message{};
    for (int i = 0; i < 1000 && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Dispatch(message);
    }
}

}  // namespace shell
