#include "tool/chip_refusal.h"

#include <string>

#include "platform/text.h"
#include "tool/nrfutil_output.h"

namespace tool {

namespace {

constexpr int kNrfjprogOtherFamily = 18;
constexpr int kNrfjprogProtected = 16;

bool Holds(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

ChipRefusal NrfjprogRefusal(std::string_view output, int exitCode) {
    const std::string text = os::AsciiLower(output);
    if (exitCode == kNrfjprogOtherFamily || Holds(text, "does not match the device connected")) {
        return ChipRefusal::kOtherFamily;
    }
    if (exitCode == kNrfjprogProtected || Holds(text, "readback protection")) {
        return ChipRefusal::kProtected;
    }
    return ChipRefusal::kNone;
}

// nrfutil's family error is not captured anywhere: any failure text that names the family
// counts. Only the failures' descriptions and the lines that are no JSON are read (the account
// of the step without its command, which itself names the family).
ChipRefusal NrfutilRefusal(std::string_view output, int exitCode) {
    const std::string text = os::AsciiLower(NrfutilStepAccount("", output, exitCode));
    if (Holds(text, "family")) {
        return ChipRefusal::kOtherFamily;
    }
    if (Holds(text, "(code 24)") || Holds(text, "readback protection")) {
        return ChipRefusal::kProtected;
    }
    return ChipRefusal::kNone;
}

}  // namespace

ChipRefusal RefusalOf(Programmer programmer, std::string_view output, int exitCode) {
    return programmer == Programmer::kNrfutil ? NrfutilRefusal(output, exitCode)
                                              : NrfjprogRefusal(output, exitCode);
}

}  // namespace tool
