// The station program on Linux: the logger first and last, one Qt window, its message loop.
#include <QApplication>

#include "log4me/log4me.h"
#include "platform/paths.h"
#include "shell/entry_sequence.h"
#include "shell/qt/qt_station_window.h"
#include "station/settings/application_title.h"

using namespace shell;
using namespace station;

int main(int argc, char** argv) {
    // Its destructor writes the stop line after the window and the application are gone.
    const std::string executable = os::ExecutablePath();
    log4me::Session logSession(os::FolderPart(executable), ApplicationTitle(executable));
    QApplication application(argc, argv);
    QtStationWindow RomForm;
    return RunEntrySequence(RomForm);
}
