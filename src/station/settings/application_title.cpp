#include "station/settings/application_title.h"

#include "platform/paths.h"
#include "platform/text.h"

namespace station {

std::string ApplicationTitle(const std::string& executablePath) {
    std::string name = os::NamePart(executablePath);
    name = name.substr(0, name.find('.'));
    if (name.empty()) {
        return name;
    }
    // Only ASCII letters change case; the bytes of other characters are left as they are.
    return name.front() + os::AsciiLower(std::string_view(name).substr(1));
}

}  // namespace station
