// Profile strings on Linux: the reader over the file, fed as it is read.
#include "platform/profile.h"
#include "platform/profile_reader.h"
#include "platform/unique_fd.h"

namespace os {

std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue, const std::string& iniPath) {
    // A file that cannot be read counts as empty (or ending where reading failed), so the
    // default comes back trimmed as usual.
    ProfileSearch search(section, key);
    UniqueFd fd(OpenRetrying(iniPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    std::string buffer(64 * 1024, '\0');
    while (fd) {
        const ssize_t count = ::read(fd.Get(), buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0 ||
            search.Feed(std::string_view(buffer.data(), static_cast<std::size_t>(count)))) {
            break;
        }
    }
    return search.Result(defaultValue);
}

}  // namespace os
