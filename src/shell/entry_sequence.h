// The program's entry sequence, the same for every window toolkit.
#pragma once

#include "station/form/MainForm.h"

namespace shell {

// What a toolkit's main window gives the entry sequence. The window builds every control of the
// layout table when it is made, and forwards its events to its form.
class ApplicationWindow {
public:
    virtual ~ApplicationWindow() = default;

    virtual station::TRomForm& Form() = 0;
    // Makes the window visible. Once it is on screen it runs FormShow through the form's guard,
    // so the first refresh paints as it goes.
    virtual void Show() = 0;
    // Dispatches messages until the window has closed; returns the program's exit status.
    virtual int RunMessageLoop() = 0;
};

// FormCreate, then (unless another copy under the same title runs) show and the message loop.
// The logger's start and stop hooks run around it, in main.
int RunEntrySequence(ApplicationWindow& window);

}  // namespace shell
