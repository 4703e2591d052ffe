// Why a programmer refused a chip, read from a failed call's output: a chip of another family
// than the call named, or a chip whose debug port is closed (readback protection). Pure functions
// over the captured output; they never throw. Anything not recognised is kNone: the operator
// then reads the tool's own text and the usual failure message.
#pragma once

#include <string_view>

#include "tool/programmer_choice.h"

namespace tool {

enum class ChipRefusal {
    kNone,
    kOtherFamily,  // nrfjprog: exit code 18 or its "does not match the device connected" text;
                   // nrfutil: a failed task or error text that names the family
    kProtected,    // nrfjprog: exit code 16 or "readback protection"; nrfutil: a failed task with
                   // error code 24 or "readback protection" in its text
};

// What a failed call of programmer said about the chip.
ChipRefusal RefusalOf(Programmer programmer, std::string_view output, int exitCode);

}  // namespace tool
