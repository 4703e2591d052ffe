// Walking folders on Linux: readdir(3), stat(2) where the listing does not give the kind.
#include <dirent.h>
#include <sys/stat.h>

#include <memory>

#include "platform/folders.h"

namespace os {

std::vector<FolderEntry> FolderEntries(const std::string& folder) {
    std::vector<FolderEntry> entries;
    struct CloseListing {
        void operator()(DIR* listing) const { ::closedir(listing); }
    };
    const std::unique_ptr<DIR, CloseListing> listing(::opendir(folder.c_str()));
    if (!listing) {
        return entries;
    }
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    while (const dirent* found = ::readdir(listing.get())) {
        const std::string name = found->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        FolderEntry entry{name, found->d_type == DT_DIR, found->d_type == DT_LNK};
        if (found->d_type == DT_UNKNOWN || found->d_type == DT_LNK) {
            struct stat info {};
            entry.isFolder = ::stat((prefix + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
            if (found->d_type == DT_UNKNOWN) {
                struct stat own {};
                entry.isLink = ::lstat((prefix + name).c_str(), &own) == 0 && S_ISLNK(own.st_mode);
            }
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace os
