#include "platform/abnormal_end.h"
#include "platform/internal/win32.h"

namespace os {

void EndAsCrashed() {
    constexpr UINT kAccessViolation = 0xC0000005;
    // Without an exception raised, no error report window waits for someone to close it.
    TerminateProcess(GetCurrentProcess(), kAccessViolation);
    ExitProcess(kAccessViolation);  // not reached
}

}  // namespace os
