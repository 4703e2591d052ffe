#include "shell/entry_sequence.h"

namespace shell {

using namespace station;

int RunEntrySequence(ApplicationWindow& window) {
    TRomForm& form = window.Form();
    form.FormCreate();
    if (form.AnotherCopyRunning()) {
        // A second copy under this title would run the programmer tool beside the first one's
        // runs; it ends before it shows anything or runs the tool.
        return 0;
    }
    window.Show();
    return window.RunMessageLoop();
}

}  // namespace shell
