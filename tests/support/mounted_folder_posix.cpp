#include "mounted_folder_posix.h"

#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>

namespace test_support {

MountedFolder::MountedFolder(const std::string& path, unsigned long size, bool readOnly)
    : path_(path) {
    std::filesystem::create_directories(path);
    const std::string options = "size=" + std::to_string(size);
    mounted_ = ::geteuid() == 0 && ::mount("romtool-test", path.c_str(), "tmpfs",
                                           readOnly ? MS_RDONLY : 0, options.c_str()) == 0;
}

MountedFolder::~MountedFolder() {
    if (mounted_) {
        ::umount2(path_.c_str(), MNT_DETACH);
    }
}

}  // namespace test_support
