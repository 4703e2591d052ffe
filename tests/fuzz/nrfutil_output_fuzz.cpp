// Any bytes as what nrfutil printed: reading them never throws or crashes, a listed serial is
// always decimal digits without leading zeros, a step that exited with an error never passes,
// and a progress read is always one the window can show.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tool/nrfutil_output.h"
#include "tool/nrfutil_progress.h"
#include "tool/serials.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view output(reinterpret_cast<const char*>(data), size);
    const tool::JLinkListing listing = tool::ReadJLinkSerials(output);
    for (const std::string& serial : listing.serials) {
        if (tool::CanonicalSerial(serial) != serial) {
            std::abort();
        }
    }
    if (!listing.serials.empty() && !listing.hasDeviceList) {
        std::abort();
    }
    const bool passed = tool::NrfutilStepPassed(output, 0);
    if (tool::NrfutilStepPassed(output, 1)) {
        std::abort();  // a step that exited with an error never passes
    }
    tool::NrfutilStepAccount("nrfutil", output, passed ? 0 : 1);
    if (const auto progress = tool::NewestNrfutilProgress(output)) {
        const bool percentShown = progress->percent.has_value();
        const bool stepsShown = progress->steps != 0;
        if ((percentShown && (*progress->percent < 0 || *progress->percent > 100)) ||
            (stepsShown && (progress->step < 1 || progress->step > progress->steps ||
                            progress->steps > tool::kMaxSteps)) ||
            (!stepsShown && progress->step != 0) || (!percentShown && !stepsShown)) {
            std::abort();  // something the window would show wrongly, or nothing to show
        }
    }
    return 0;
}
