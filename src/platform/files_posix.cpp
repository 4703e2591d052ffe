// Files on Linux: open(2) and friends. Share modes are not enforced here: other handles may open
// a file regardless.
#include <dirent.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <memory>

#include "platform/files.h"
#include "platform/unique_fd.h"

namespace os {

namespace {

std::optional<struct stat> StatOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return info;
}

[[noreturn]] void Throw(FileVerb verb, const std::string& path, int error) {
    throw FileError(verb, path, static_cast<std::uint32_t>(error));
}

// Flushes the file's content to the disk, so that a rename over another file cannot leave an
// empty file behind after a power cut. Best effort: the rename itself reports real failures.
void FlushToDisk(const std::string& path) {
    UniqueFd fd(OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (fd) {
        ::fsync(fd.Get());
    }
}

// A write that stopped part way (a disk that filled up) leaves the file as it was before it, so
// that no torn line stays behind: the file is cut back to where the write began, provided
// nothing was written after it (by another process appending to the same file).
void CutBackPartialWrite(int fd, std::size_t written) {
    if (written == 0) {
        return;
    }
    struct stat info {};
    const off_t end = ::lseek(fd, 0, SEEK_CUR);
    if (end >= static_cast<off_t>(written) && ::fstat(fd, &info) == 0 && info.st_size == end) {
        [[maybe_unused]] const int ignored = ::ftruncate(fd, end - static_cast<off_t>(written));
    }
}

// Flushes the folder that holds path, so that a rename in it has reached the disk when the call
// returns, as MOVEFILE_WRITE_THROUGH makes it on Windows. Best effort, like FlushToDisk.
void FlushFolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    UniqueFd fd(OpenRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd) {
        ::fsync(fd.Get());
    }
}

}  // namespace

bool FileError::HeldByAnotherProgram() const {
    return false;
}

std::vector<std::string> FileNamesIn(const std::string& folder) {
    std::vector<std::string> names;
    struct CloseListing {
        void operator()(DIR* listing) const { ::closedir(listing); }
    };
    const std::unique_ptr<DIR, CloseListing> listing(::opendir(folder.c_str()));
    if (!listing) {
        return names;
    }
    while (const dirent* entry = ::readdir(listing.get())) {
        const auto info = StatOf(folder + entry->d_name);
        if (info && S_ISREG(info->st_mode)) {
            names.emplace_back(entry->d_name);
        }
    }
    return names;
}

bool FileExists(const std::string& path) {
    const auto info = StatOf(path);
    return info && !S_ISDIR(info->st_mode);
}

bool FolderExists(const std::string& path) {
    const auto info = StatOf(path);
    return info && S_ISDIR(info->st_mode);
}

std::optional<FileStamp> StampOf(const std::string& path) {
    const auto info = StatOf(path);
    if (!info || S_ISDIR(info->st_mode)) {
        return std::nullopt;
    }
    // The change time moves with every write and rename and cannot be set back by hand.
    auto nanoseconds = [](const timespec& t) {
        return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
    };
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    FileStamp stamp;
    stamp.size = static_cast<std::uint64_t>(info->st_size);
    stamp.identity =
        static_cast<std::uint64_t>(info->st_ino) ^ (static_cast<std::uint64_t>(info->st_dev) << 40);
    stamp.changed = std::max(nanoseconds(info->st_mtim), nanoseconds(info->st_ctim));
    stamp.settled = nanoseconds(now) - stamp.changed > std::int64_t{2000000000};
    return stamp;
}

void File::Close() noexcept {
    if (handle_ != kInvalid) {
        ::close(static_cast<int>(handle_));  // never retried: Linux frees the fd even on EINTR
        handle_ = kInvalid;
    }
}

bool File::IsStillNamed() const noexcept {
    struct stat open {};
    struct stat named {};
    return ::fstat(static_cast<int>(handle_), &open) == 0 && open.st_nlink > 0 &&
           ::stat(path_.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

std::size_t File::Read(void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t count = ::read(static_cast<int>(handle_), buffer, size);
        if (count >= 0) {
            return static_cast<std::size_t>(count);
        }
        const int error = errno;
        if (error != EINTR) {
            Throw(FileVerb::kRead, path_, error);
        }
    }
}

void File::Write(const void* data, std::size_t size) {
    const int fd = static_cast<int>(handle_);
    const char* next = static_cast<const char*>(data);
    std::size_t written = 0;
    while (written < size) {
        const ssize_t count = ::write(fd, next + written, size - written);
        if (count > 0) {
            written += static_cast<std::size_t>(count);
            continue;
        }
        const int error = count == 0 ? ENOSPC : errno;
        if (error == EINTR) {
            continue;
        }
        CutBackPartialWrite(fd, written);
        Throw(FileVerb::kWrite, path_, error);
    }
}

File OpenForReading(const std::string& path, Share) {
    const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        Throw(FileVerb::kOpen, path, errno);
    }
    File file(fd, path);
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        Throw(FileVerb::kOpen, path, EISDIR);  // as on Windows, a folder is not a file
    }
    return file;
}

File CreateForWriting(const std::string& path, Share) {
    const int fd =
        OpenRetrying(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        Throw(FileVerb::kCreate, path, errno);
    }
    return File(fd, path);
}

std::optional<char> LastByteOf(const std::string& path) {
    const File file = OpenForReading(path, Share::kReadWrite);
    const int fd = static_cast<int>(file.handle_);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        Throw(FileVerb::kRead, path, errno);
    }
    if (info.st_size == 0) {
        return std::nullopt;
    }
    char byte = 0;
    for (;;) {
        const ssize_t count = ::pread(fd, &byte, 1, info.st_size - 1);
        if (count == 1) {
            return byte;
        }
        if (count == 0 || errno != EINTR) {
            Throw(FileVerb::kRead, path, count == 0 ? EIO : errno);
        }
    }
}

// O_APPEND makes every write land at the end, also when other processes append meanwhile.
File OpenForAppending(const std::string& path) {
    constexpr int kFlags = O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY;
    int fd = OpenRetrying(path.c_str(), kFlags);
    if (fd < 0) {
        const int error = errno;
        if (error != ENOENT) {
            Throw(FileVerb::kOpen, path, error);
        }
        fd = OpenRetrying(path.c_str(), kFlags | O_CREAT, 0666);
        if (fd < 0) {
            Throw(FileVerb::kCreate, path, errno);
        }
    }
    return File(fd, path);
}

void ReplaceFile(const std::string& from, const std::string& to) {
    FlushToDisk(from);
    if (::rename(from.c_str(), to.c_str()) != 0) {
        Throw(FileVerb::kCreate, to, errno);
    }
    FlushFolderOf(to);
}

void RemoveFile(const std::string& path) noexcept {
    ::unlink(path.c_str());
}

// link(2) fails when the new name exists, where rename(2) would replace it.
bool MoveUnlessExists(const std::string& from, const std::string& to) {
    if (::link(from.c_str(), to.c_str()) != 0) {
        if (errno == EEXIST) {
            return false;
        }
        Throw(FileVerb::kCreate, to, errno);
    }
    ::unlink(from.c_str());
    return true;
}

}  // namespace os
