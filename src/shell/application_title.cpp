#include "application_title.h"

#include <cctype>

#include "os.h"

std::string ApplicationTitle(const std::string& executablePath) {
    std::string name = os::NamePart(executablePath);
    name = name.substr(0, name.find('.'));
    // Only ASCII letters change case; the bytes of other characters are left as they are.
    for (std::size_t i = 1; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c < 0x80) {
            name[i] = static_cast<char>(std::tolower(c));
        }
    }
    return name;
}
