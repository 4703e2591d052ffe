// The station program on Linux: the logger first and last, one Qt window, its message loop.
#include <QApplication>

#include "entry_sequence.h"
#include "log4me.h"
#include "paths.h"
#include "qt_station_window.h"

int main(int argc, char** argv) {
    // Its destructor writes the stop line after the window and the application are gone.
    log4me::Session logSession(os::FolderPart(os::ExecutablePath()));
    QApplication application(argc, argv);
    QtStationWindow RomForm;
    return RunEntrySequence(RomForm);
}
