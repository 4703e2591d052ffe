// Ending this process the way a crash ends it, for the stand-in programmers' rehearsal of a
// programmer that crashes.
#pragma once

namespace os {

// Ends this process at once, printing and flushing nothing: on Windows with exit code
// 0xC0000005 (an access violation), elsewhere by SIGSEGV, without a core file.
[[noreturn]] void EndAsCrashed();

}  // namespace os
