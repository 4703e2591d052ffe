// The press that starts by itself: the form's look at the fixture at every tick, and the scanned
// label that goes with a new board, in either order.
#include "station/form/MainForm.h"

namespace station {

void TRomForm::ShowWaitingFor(const char* request) {
    view_.SetVerdictFont(kVerdictFont, kVerdictGreen);
    view_.SetVerdictCaption(request);
}

bool TRomForm::PressAsStart() {
    actions_.RunningIsPress();  // a press of start taken meanwhile is dropped
    return PressBoard();
}

void TRomForm::Edit_BoardLabelReturn() {
    if (benchPanel_) {  // the one scanner: the label goes to the fixture that waits for one
        benchPanel_->Scanned(view_.LabelText(), view_.EraseChecked());
        return;
    }
    if (!station_.Watching() || boardWaiting_) {
        PressAsStart();
        return;
    }
    ShowWaitingFor("请放入电路板");  // the label is there; the board's arrival presses it
}

void TRomForm::AutostartTick() {
    if (benchPanel_) {
        benchPanel_->Tick();  // each idle fixture's look runs on its own thread
        return;
    }
    switch (station_.LookAtFixture(*this)) {
        case AutostartWatch::Action::kWait:
            return;
        case AutostartWatch::Action::kEmptied:
            boardWaiting_ = false;
            ShowWaitingFor("请放入电路板");
            return;
        case AutostartWatch::Action::kFound:
            if (station_.Settings().chip.label.on && view_.LabelText().empty()) {
                boardWaiting_ = true;
                ShowWaitingFor("请扫描条码");
                FocusLabel();
                return;
            }
            boardWaiting_ =
                !PressAsStart();  // a refused label leaves the board waiting for another
            return;
        case AutostartWatch::Action::kProbeGone:
            boardWaiting_ = false;
            Button_GetJlinkClick();  // the check tells what happened (102, 111) and stops the look
            return;
    }
}

}  // namespace station
