// The computer's name on Linux: the host name.
#include <unistd.h>

#include "platform/computer.h"

namespace os {

std::string ComputerName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) {
        return "";
    }
    return name;
}

}  // namespace os
