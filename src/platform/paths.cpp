// Splitting a path into its folder and its name; the same on every platform, only the folder
// breaks differ.
#include <string>
#include <string_view>

#include "platform/paths.h"

namespace os {

namespace {

// Index just past the last folder break, 0 when there is none.
std::size_t NameStart(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsFolderBreak(path[i - 1])) {
            return i;
        }
    }
    return 0;
}

}  // namespace

std::string FolderPart(std::string_view path) {
    return std::string(path.substr(0, NameStart(path)));
}

std::string NamePart(std::string_view path) {
    return std::string(path.substr(NameStart(path)));
}

}  // namespace os
