// A handler of the station's form, as the window's layout table names it, without the whole form.
#pragma once

namespace station {

class TRomForm;

using FormHandler = void (TRomForm::*)();

}  // namespace station
