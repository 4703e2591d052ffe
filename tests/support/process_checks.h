// Checks that a test left no descriptor open and no process behind (Linux only).
#pragma once

#include <sys/types.h>

namespace test_support {

// How many descriptors this process has open now.
int OpenDescriptorCount();
// True when this process has no child left, running or unreaped.
bool NoChildLeft();
// Waits (at most 10 s) until process pid has ended; a zombie counts as ended.
bool EndsSoon(pid_t pid);

}  // namespace test_support
