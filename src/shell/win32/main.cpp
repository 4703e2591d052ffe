// The station program on Windows: the logger first and last, one native window, its message
// loop.
#include "log4me/log4me.h"
#include "platform/paths.h"
#include "shell/entry_sequence.h"
#include "shell/win32/win32_station_window.h"
#include "station/settings/application_title.h"

using namespace shell;
using namespace station;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Its destructor writes the stop line after the window is gone.
    const std::string executable = os::ExecutablePath();
    log4me::Session logSession(os::FolderPart(executable), ApplicationTitle(executable));
    // The themed controls of common controls version 6, which the manifest asks for.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    Win32StationWindow RomForm(instance);
    return RunEntrySequence(RomForm);
}
