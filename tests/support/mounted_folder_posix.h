// A small file system of its own mounted on a folder, so that a test can fill a disk or make a
// folder read-only for everyone, root included. Mounting needs root; Mounted() tells whether it
// worked, and the test skips the case otherwise. Unmounted when destroyed.
#pragma once

#include <string>

namespace test_support {

class MountedFolder {
public:
    // Makes the folder (and its parents) and mounts a tmpfs of size bytes on it.
    MountedFolder(const std::string& path, unsigned long size, bool readOnly = false);
    ~MountedFolder();
    MountedFolder(const MountedFolder&) = delete;
    MountedFolder& operator=(const MountedFolder&) = delete;

    bool Mounted() const { return mounted_; }

private:
    std::string path_;
    bool mounted_ = false;
};

}  // namespace test_support
