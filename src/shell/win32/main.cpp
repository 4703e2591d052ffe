// The station program on Windows: the logger first and last, one native window, its message
// loop.
#include "application_title.h"
#include "entry_sequence.h"
#include "log4me.h"
#include "paths.h"
#include "win32_station_window.h"

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
