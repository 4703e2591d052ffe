// The programmers' own texts for a chip they refuse, as published and captured, read as the
// station reads a failed step's output.
#include <gtest/gtest.h>

#include "tool/chip_refusal.h"

namespace {

using tool::ChipRefusal;
using tool::Programmer;

TEST(RefusalOf, ReadsEachProgrammersOwnTexts) {
    const struct {
        Programmer programmer;
        const char* output;
        int exitCode;
        ChipRefusal refusal;
    } cases[] = {
        {Programmer::kNrfjprog,
         "ERROR: The --family option given with the command (or the default from nrfjprog.ini) "
         "does not match the device connected.\n",
         18, ChipRefusal::kOtherFamily},
        {Programmer::kNrfjprog,
         "Parsing image file.\nERROR: The operation attempted is unavailable due to readback "
         "protection in\nERROR: your device. Please use --recover to unlock the device.\n",
         16, ChipRefusal::kProtected},
        {Programmer::kNrfjprog, "", 16, ChipRefusal::kProtected},
        {Programmer::kNrfjprog,
         "ERROR: Unable to connect to a debugger.\nERROR: JLinkARM DLL reported an error...\n", 33,
         ChipRefusal::kNone},
        {Programmer::kNrfutil,
         R"({"type":"task_end","data":{"task":{"id":"1","description":"Program","name":"program",)"
         R"("data":null},"message":"Failed","result":"fail","error":{"code":24,"description":)"
         R"("[jlink] The operation is unavailable due to readback protection"}}})"
         "\n",
         1, ChipRefusal::kProtected},
        {Programmer::kNrfutil,
         R"({"type":"task_end","data":{"task":{"id":"1","description":"Program","name":"program",)"
         R"("data":null},"message":"Failed","result":"fail","error":{"code":1,"description":)"
         R"("Device family NRF53_FAMILY does not match the given family"}}})"
         "\n",
         1, ChipRefusal::kOtherFamily},
        {Programmer::kNrfutil,
         R"({"type":"task_end","data":{"task":{"id":"1","description":"Program","name":"program",)"
         R"("data":null},"message":"Failed","result":"fail","error":{"code":25,"description":)"
         R"("Verify failed"}}})"
         "\n",
         1, ChipRefusal::kNone},
        // A failure that is not about the chip.
        {Programmer::kNrfutil,
         "Error: No devices with requested serial number(s) or trait(s) found.\n", 1,
         ChipRefusal::kNone},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tool::RefusalOf(c.programmer, c.output, c.exitCode), c.refusal) << c.output;
    }
}

}  // namespace
