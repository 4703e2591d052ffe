// The least a Win32 program does before it can say Ready, the anchor of romtool.exe's start-up:
// runs one probe query through the command interpreter, shows its output in one label of a
// window, and ends once the window and the label have been painted.
//   minimal_window_win PROBE COMMAND LINE     (everything after the program's name)
//   minimal_window_win                        an empty window, no query
#include <exception>
#include <string>

#include "platform/internal/win32.h"
#include "win_process.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const std::string probe = os::win32::Narrow(commandLine);
    std::wstring output;
    try {
        if (!probe.empty()) {
            os::win32::ToWide(CP_ACP, 0, bench::RunAndRead(bench::ShellCommandLine(probe)), output);
        }
    } catch (const std::exception&) {
        return 1;
    }

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"MinimalWindow";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"minimal", WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 720, 500, nullptr, nullptr,
                                  instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    if (!probe.empty()) {
        CreateWindowExW(0, L"STATIC", output.c_str(), WS_CHILD | WS_VISIBLE, 8, 8, 400, 100, window,
                        nullptr, instance, nullptr);
    }
    ShowWindow(window, SW_SHOW);
    // Paints the window and its label now, before returning.
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    DestroyWindow(window);
    return 0;
}
