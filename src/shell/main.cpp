// The station program: the logger first and last, one window, its message loop.
#include <QApplication>

#include "MainForm.h"
#include "log4me.h"
#include "os.h"

namespace {

int RunStation(int argc, char** argv) {
    QApplication application(argc, argv);
    TRomForm RomForm;
    if (RomForm.AnotherCopyRunning()) {
        // A second copy under this title would run the programmer tool beside the first one's
        // runs; it ends before it shows anything.
        return 0;
    }
    RomForm.show();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    // Its destructor writes the stop line after the window and the application are gone.
    log4me::Session logSession(os::FolderPart(os::ExecutablePath()));
    return RunStation(argc, argv);
}
