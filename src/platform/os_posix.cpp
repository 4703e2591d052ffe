// The OS layer on Linux: UTF-8 as the ANSI code page, files through open(2), the single-instance
// claim as an abstract-namespace socket, and commands run by /bin/sh in a process group of their
// own, with the station as the subreaper of everything they start.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "os.h"
#include "profile_reader.h"

extern char** environ;

namespace os {

namespace {

// ---------------------------------------------------------------------------------------------
// Descriptors

// Owns one file descriptor.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }

    int Get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int Release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void Reset(int fd = -1) noexcept {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }

private:
    int fd_ = -1;
};

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Moves fd above the standard descriptors, so that the child's dup2 onto 1 and 2 can never
// overwrite it, also when this process runs with 0, 1 or 2 closed.
bool LiftAboveStandard(UniqueFd& fd) {
    if (fd.Get() > STDERR_FILENO) {
        return true;
    }
    int lifted = ::fcntl(fd.Get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    if (lifted < 0) {
        return false;
    }
    fd.Reset(lifted);
    return true;
}

// A close-on-exec pipe; both ends above the standard descriptors.
bool MakePipe(UniqueFd& readEnd, UniqueFd& writeEnd) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return false;
    }
    readEnd.Reset(fds[0]);
    writeEnd.Reset(fds[1]);
    return LiftAboveStandard(readEnd) && LiftAboveStandard(writeEnd);
}

// ---------------------------------------------------------------------------------------------
// Error texts

// strerror_r returns an int (XSI) or the text itself (GNU), depending on the C library.
[[maybe_unused]] const char* PickErrorText(int result, const char* buffer) {
    return result == 0 ? buffer : "Unknown error";
}
[[maybe_unused]] const char* PickErrorText(const char* result, const char*) {
    return result;
}

// The system's text for error, without trailing blanks, control characters and full stops.
std::string SystemErrorText(int error) {
    char buffer[256] = {};
    std::string text = PickErrorText(::strerror_r(error, buffer, sizeof buffer), buffer);
    while (!text.empty()) {
        unsigned char last = static_cast<unsigned char>(text.back());
        if (last != ' ' && last != '.' && last >= 0x20 && last != 0x7f) {
            break;
        }
        text.pop_back();
    }
    return text;
}

constexpr char kCannotOpen[] = "Cannot open file";
constexpr char kCannotCreate[] = "Cannot create file";

[[noreturn]] void ThrowFileError(const char* what, const std::string& path, int error) {
    throw FileError(std::string(what) + " \"" + AbsolutePath(path) + "\". " +
                    SystemErrorText(error));
}

// ---------------------------------------------------------------------------------------------
// UTF-8

// One step through UTF-8 text: a well-formed character, or the longest start of one that cannot
// be completed (at least one byte), which counts as one bad sequence.
struct Step {
    std::size_t length;
    bool valid;
};

Step NextStep(std::string_view text, std::size_t at) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
        return {1, true};
    }
    std::size_t length = 0;
    unsigned char low = 0x80;  // range of the second byte; later bytes are always 80..BF
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;   // no overlong forms
        high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
    } else {
        return {1, false};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (at + i >= text.size()) {
            return {i, false};
        }
        const unsigned char next = static_cast<unsigned char>(text[at + i]);
        if (next < low || next > high) {
            return {i, false};
        }
        low = 0x80;
        high = 0xBF;
    }
    return {length, true};
}

// text with every bad sequence replaced by replacement.
std::string RepairUtf8(std::string_view text, std::string_view replacement) {
    std::string repaired;
    repaired.reserve(text.size());
    std::size_t goodStart = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        // Plain ASCII, the bulk of a tool's output, is passed over eight bytes at a time.
        constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
        std::uint64_t eight = 0;
        while (at + sizeof eight <= text.size() &&
               (std::memcpy(&eight, text.data() + at, sizeof eight), (eight & kHighBits) == 0)) {
            at += sizeof eight;
        }
        if (at >= text.size()) {
            break;
        }
        const Step step = NextStep(text, at);
        if (!step.valid) {
            repaired.append(text.substr(goodStart, at - goodStart));
            repaired.append(replacement);
            goodStart = at + step.length;
        }
        at += step.length;
    }
    repaired.append(text.substr(goodStart));
    return repaired;
}

// ---------------------------------------------------------------------------------------------
// Folders and files

std::string CurrentFolder() {
    std::vector<char> buffer(256);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
            return buffer.data();
        }
        if (errno != ERANGE) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<struct stat> StatOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return info;
}

// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path) {
    UniqueFd fd(OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[8192];
    for (;;) {
        const ssize_t count = ::read(fd.Get(), buffer, sizeof buffer);
        if (count == 0) {
            return bytes;
        }
        if (count < 0 && errno != EINTR) {
            return std::nullopt;
        }
        if (count > 0) {
            bytes.append(buffer, static_cast<std::size_t>(count));
        }
    }
}

// Flushes the file's content to the disk, so that a rename over another file cannot leave an
// empty file behind after a power cut. Best effort: the rename itself reports real failures.
void FlushToDisk(const std::string& path) {
    UniqueFd fd(OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (fd) {
        ::fsync(fd.Get());
    }
}

// ---------------------------------------------------------------------------------------------
// Single instance

// The claim is an abstract-namespace unix socket (Linux): no file another user could make or
// hold first, and the kernel frees the name when the process ends in any way. The name holds
// the user id and the title; a title too long for a socket name is replaced by its hash.
std::string InstanceSocketName(const std::string& title) {
    const std::string prefix =
        std::string(1, '\0') + "romtool-instance-" + std::to_string(::getuid()) + "-";
    constexpr std::size_t kMaxName = sizeof(sockaddr_un::sun_path);
    if (prefix.size() + title.size() <= kMaxName) {
        return prefix + title;
    }
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (char c : title) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return prefix + "#" + std::to_string(hash);
}

// ---------------------------------------------------------------------------------------------
// Processes

// The interpreters of the runs now going on. Orphans of a run come to the station (it is their
// subreaper), so ending a run's tree must not reach into another run's tree.
class LiveInterpreters {
public:
    static LiveInterpreters& Get() {
        static LiveInterpreters live;
        return live;
    }
    void Add(pid_t pid) {
        std::lock_guard<std::mutex> lock(mutex_);
        pids_.push_back(pid);
    }
    void Remove(pid_t pid) {
        std::lock_guard<std::mutex> lock(mutex_);
        pids_.erase(std::remove(pids_.begin(), pids_.end(), pid), pids_.end());
    }
    bool Contains(pid_t pid) const {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::find(pids_.begin(), pids_.end(), pid) != pids_.end();
    }

private:
    mutable std::mutex mutex_;
    std::vector<pid_t> pids_;
};

// Makes the station the reaper of every orphan among its descendants, so that a process that
// left the command's group and session (setsid) is still found by its parent links.
void BecomeSubreaperOnce() {
    static const bool done = ::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;
    (void)done;
}

// The children of process pid, from the lists the kernel keeps per thread.
std::vector<pid_t> ChildrenOf(pid_t pid) {
    std::vector<pid_t> children;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* folder = ::opendir(tasks.c_str());
    if (folder == nullptr) {
        return children;
    }
    while (const dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9') {
            continue;
        }
        const std::optional<std::string> list =
            ReadWholeFile(tasks + '/' + entry->d_name + "/children");
        if (!list) {
            continue;
        }
        const char* at = list->c_str();
        char* end = nullptr;
        for (long child; (child = std::strtol(at, &end, 10)) > 0; at = end) {
            children.push_back(static_cast<pid_t>(child));
        }
    }
    ::closedir(folder);
    return children;
}

// Every descendant of the station that belongs to the run of interpreter: its own tree and the
// orphans that came to the station, but not the trees of other runs.
std::vector<pid_t> DescendantsOfTheRun(pid_t interpreter) {
    std::vector<pid_t> found;
    for (pid_t child : ChildrenOf(::getpid())) {
        if (child == interpreter || !LiveInterpreters::Get().Contains(child)) {
            found.push_back(child);
        }
    }
    for (std::size_t next = 0; next < found.size(); ++next) {
        for (pid_t grandchild : ChildrenOf(found[next])) {
            found.push_back(grandchild);
        }
    }
    return found;
}

// True once pid, killed before, is gone for good: reaped here (it came to the station) or by its
// own parent. Until then its pid cannot be reused.
bool Gone(pid_t pid) {
    const pid_t reaped = ::waitpid(pid, nullptr, WNOHANG);
    return reaped == pid || (reaped < 0 && errno == ECHILD && ::kill(pid, 0) != 0);
}

// Ends every process of the run but the interpreter, which has ended but stays unreaped, and
// reaps those that came to the station. A process that ends hands its children to the station
// first, and the kernel's child lists may miss a process that changes meanwhile; so the lists
// are read again, each time after every process killed so far is gone, until they show nothing
// more (for at most a few seconds).
void EndDescendants(pid_t interpreter) {
    constexpr auto kLongest = std::chrono::seconds(5);
    constexpr timespec kPause{0, 1000000};  // 1 ms for the killed ones to go
    const auto giveUp = std::chrono::steady_clock::now() + kLongest;
    std::vector<pid_t> killed;
    while (std::chrono::steady_clock::now() < giveUp) {
        killed.erase(std::remove_if(killed.begin(), killed.end(), Gone), killed.end());
        if (!killed.empty()) {
            ::nanosleep(&kPause, nullptr);
            continue;
        }
        for (pid_t pid : DescendantsOfTheRun(interpreter)) {
            if (pid != interpreter) {
                ::kill(pid, SIGKILL);
                killed.push_back(pid);
            }
        }
        if (killed.empty()) {
            return;
        }
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Text

AnsiString ToAnsi(std::string_view utf8) {
    return AnsiString(RepairUtf8(utf8, "?"));
}

std::string FromAnsi(std::string_view ansi) {
    return RepairUtf8(ansi, "\xEF\xBF\xBD");
}

// ---------------------------------------------------------------------------------------------
// Paths

const char kPathSeparator = '/';
const char* const kLineBreak = "\n";
const char* const kExpandedInQuotes = "";
const char* const kExecutableSuffix = "";

bool IsFolderBreak(char c) {
    return c == '/';
}

std::string ExecutablePath() {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string AbsolutePath(std::string_view path) {
    if (!path.empty() && path.front() == '/') {
        return std::string(path);
    }
    std::string folder = CurrentFolder();
    if (folder.empty()) {
        return std::string(path);
    }
    while (path.substr(0, 2) == "./") {
        path.remove_prefix(2);
    }
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder.append(path);
}

// Inside single quotes /bin/sh takes every byte literally; a single quote itself ends the
// quotes, adds an escaped quote and opens them again.
std::string QuoteArgument(std::string_view argument) {
    std::string quoted = "'";
    for (char c : argument) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    quoted += '\'';
    return quoted;
}

// ---------------------------------------------------------------------------------------------
// Files

bool FileExists(const std::string& path) {
    const auto info = StatOf(path);
    return info && !S_ISDIR(info->st_mode);
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

bool FolderExists(const std::string& path) {
    const auto info = StatOf(path);
    return info && S_ISDIR(info->st_mode);
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
            ThrowFileError("Cannot read file", path_, error);
        }
    }
}

void File::Write(const void* data, std::size_t size) {
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t count = ::write(static_cast<int>(handle_), next, size);
        if (count < 0) {
            const int error = errno;
            if (error == EINTR) {
                continue;
            }
            ThrowFileError("Cannot write file", path_, error);
        }
        if (count == 0) {
            ThrowFileError("Cannot write file", path_, ENOSPC);
        }
        next += count;
        size -= static_cast<std::size_t>(count);
    }
}

// Share modes are not enforced on Linux: other handles may open the file regardless.
File OpenForReading(const std::string& path, Share) {
    std::string name = path;
    const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        ThrowFileError(kCannotOpen, path, errno);
    }
    File file(fd, std::move(name));
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ThrowFileError(kCannotOpen, path, EISDIR);  // as on Windows, a folder is not a file
    }
    return file;
}

File CreateForWriting(const std::string& path, Share) {
    std::string name = path;
    const int fd =
        OpenRetrying(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        ThrowFileError(kCannotCreate, path, errno);
    }
    return File(fd, std::move(name));
}

// O_APPEND makes every write land at the end, also when other processes append meanwhile.
File OpenForAppending(const std::string& path) {
    std::string name = path;
    constexpr int kFlags = O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY;
    int fd = OpenRetrying(path.c_str(), kFlags);
    if (fd < 0) {
        const int error = errno;
        if (error != ENOENT) {
            ThrowFileError(kCannotOpen, path, error);
        }
        fd = OpenRetrying(path.c_str(), kFlags | O_CREAT, 0666);
        if (fd < 0) {
            ThrowFileError(kCannotCreate, path, errno);
        }
    }
    return File(fd, std::move(name));
}

void ReplaceFile(const std::string& from, const std::string& to) {
    FlushToDisk(from);
    if (::rename(from.c_str(), to.c_str()) != 0) {
        ThrowFileError(kCannotCreate, to, errno);
    }
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
        ThrowFileError(kCannotCreate, to, errno);
    }
    ::unlink(from.c_str());
    return true;
}

// ---------------------------------------------------------------------------------------------
// Configuration

std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue, const std::string& iniPath) {
    // Read in pieces, and only as far as the answer needs. A file that cannot be read counts as
    // empty (or ending where reading failed), so the default comes back trimmed as usual.
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

// ---------------------------------------------------------------------------------------------
// Clock

// The local date and time change only with the second, and their conversion costs more than
// reading the clock: each thread converts once per second and fills in the milliseconds.
LocalTime LocalNow() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    thread_local time_t convertedSecond = -1;
    thread_local LocalTime local;
    if (now.tv_sec != convertedSecond) {
        std::tm parts{};
        ::localtime_r(&now.tv_sec, &parts);
        local.year = parts.tm_year + 1900;
        local.month = parts.tm_mon + 1;
        local.day = parts.tm_mday;
        local.hour = parts.tm_hour;
        local.minute = parts.tm_min;
        local.second = std::min(parts.tm_sec, 59);  // a leap second stays within its minute
        convertedSecond = now.tv_sec;
    }
    local.millisecond = static_cast<int>(now.tv_nsec / 1000000);
    return local;
}

// ---------------------------------------------------------------------------------------------
// Single instance

InstanceLock::InstanceLock(const std::string& name) {
    const std::string socketName = InstanceSocketName(name);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketName.data(), socketName.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + socketName.size());

    UniqueFd claim(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (claim && ::bind(claim.Get(), reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
        ::listen(claim.Get(), SOMAXCONN) == 0) {
        handle_ = claim.Release();
        return;
    }
    const int bindError = errno;
    if (claim && bindError == EADDRINUSE) {
        // Somebody holds the name: a copy of ours only if it runs as this user.
        UniqueFd probe(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        ucred holder{};
        socklen_t size = sizeof holder;
        if (probe &&
            ::connect(probe.Get(), reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
            ::getsockopt(probe.Get(), SOL_SOCKET, SO_PEERCRED, &holder, &size) == 0) {
            if (holder.uid == ::getuid()) {
                alreadyRunning_ = true;
                return;
            }
            problem_ = "the name is held by another user (uid " + std::to_string(holder.uid) +
                       ", process " + std::to_string(holder.pid) + ")";
        } else {
            problem_ =
                std::string("the holder of the name cannot be asked: ") + std::strerror(errno);
        }
    } else {
        problem_ = std::string("the name cannot be claimed: ") + std::strerror(bindError);
    }
    // Not silent: the station runs as the only copy, and says why it could not make sure.
    std::fprintf(stderr, "romtool: single-instance check for \"%s\" not made, %s\n", name.c_str(),
                 problem_.c_str());
}

InstanceLock::~InstanceLock() {
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_));
    }
}

// ---------------------------------------------------------------------------------------------
// Processes

struct ChildProcess::Impl {
    pid_t pid = -1;      // the interpreter; also the id of its process group
    bool reaped = true;  // its exit status has been collected (or it never ran)
    bool ended = false;  // it has ended (maybe not yet reaped)
    int exitCode = -1;   // its exit code when it ended by itself
    UniqueFd output;     // read end of the pipe behind its standard output and error; non-blocking
    UniqueFd endSignal;  // a pidfd that becomes readable when the interpreter ends, if available
};

ChildProcess::ChildProcess(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

ChildProcess::~ChildProcess() {
    Terminate();
}

namespace {

// Spawn attributes for the interpreter: a process group of its own, and the default action and
// an empty mask for every signal, since ignored and blocked signals would survive exec.
class SpawnSetup {
public:
    SpawnSetup() {
        ::posix_spawnattr_init(&attributes_);
        ::posix_spawn_file_actions_init(&actions_);
    }
    ~SpawnSetup() {
        ::posix_spawn_file_actions_destroy(&actions_);
        ::posix_spawnattr_destroy(&attributes_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    bool Prepare(const char* folder, int output) {
        sigset_t all;
        sigset_t none;
        ::sigfillset(&all);
        ::sigemptyset(&none);
        return ::posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETPGROUP |
                                                            POSIX_SPAWN_SETSIGDEF |
                                                            POSIX_SPAWN_SETSIGMASK) == 0 &&
               ::posix_spawnattr_setpgroup(&attributes_, 0) == 0 &&
               ::posix_spawnattr_setsigdefault(&attributes_, &all) == 0 &&
               ::posix_spawnattr_setsigmask(&attributes_, &none) == 0 &&
               ::posix_spawn_file_actions_addchdir_np(&actions_, folder) == 0 &&
               ::posix_spawn_file_actions_adddup2(&actions_, output, STDOUT_FILENO) == 0 &&
               ::posix_spawn_file_actions_adddup2(&actions_, output, STDERR_FILENO) == 0;
    }
    const posix_spawnattr_t* Attributes() const { return &attributes_; }
    const posix_spawn_file_actions_t* Actions() const { return &actions_; }

private:
    posix_spawnattr_t attributes_;
    posix_spawn_file_actions_t actions_;
};

// Milliseconds from now until deadline, at least 0; rounded up so a wait never ends early.
int MillisecondsLeft(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

// A larger pipe than the default 64 KiB lets a tool that prints a lot write on while the
// station reads.
constexpr int kPipeSize = 1 << 20;

}  // namespace

// posix_spawn starts the interpreter without copying the station's memory map, so starting costs
// the same however much memory the station holds. A folder that cannot be entered fails the
// spawn itself: nothing runs then.
std::unique_ptr<ChildProcess> ChildProcess::Start(const std::string& commandLine,
                                                  const std::string& workingFolder) {
    BecomeSubreaperOnce();
    auto impl = std::make_unique<Impl>();
    UniqueFd outputWrite;
    SpawnSetup setup;
    if (!MakePipe(impl->output, outputWrite) ||
        ::fcntl(impl->output.Get(), F_SETFL, O_NONBLOCK) != 0 ||
        !setup.Prepare(workingFolder.c_str(), outputWrite.Get())) {
        return nullptr;
    }
    ::fcntl(impl->output.Get(), F_SETPIPE_SZ, kPipeSize);  // best effort
    char shell[] = "/bin/sh";
    char option[] = "-c";
    char* const argv[] = {shell, option, const_cast<char*>(commandLine.c_str()), nullptr};
    pid_t pid = -1;
    if (::posix_spawn(&pid, shell, setup.Actions(), setup.Attributes(), argv, environ) != 0) {
        return nullptr;
    }
    outputWrite.Reset();  // the pipe ends once every process of the command has closed it
    impl->pid = pid;
    impl->reaped = false;
    impl->endSignal.Reset(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    LiveInterpreters::Get().Add(pid);
    // The constructor is private, so the object cannot come from make_unique.
    return std::unique_ptr<ChildProcess>(new ChildProcess(std::move(impl)));
}

long ChildProcess::Read(char* buffer, std::size_t capacity, int waitMs) {
    Impl& state = *impl_;
    if (!state.output) {
        return kEnded;
    }
    if (capacity == 0) {
        return 0;
    }
    // Output that is there already is read without asking first; poll only when there is none.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (bool waited = false;;) {
        const ssize_t count = ::read(state.output.Get(), buffer, capacity);
        if (count > 0) {
            return static_cast<long>(count);
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count == 0 || errno != EAGAIN) {
            state.output.Reset();  // every writer has gone; nothing more will come
            return kEnded;
        }
        if (waited) {
            return 0;  // the time is up, or the interpreter has ended
        }
        pollfd entries[2] = {{state.output.Get(), POLLIN, 0}, {state.endSignal.Get(), POLLIN, 0}};
        const nfds_t watched = state.endSignal && !state.ended ? 2 : 1;
        const int ready = ::poll(entries, watched, MillisecondsLeft(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (watched == 2 && entries[1].revents != 0) {
            WaitForEnd(0);
        }
        waited = true;
    }
}

bool ChildProcess::WaitForEnd(int waitMs) noexcept {
    Impl& state = *impl_;
    if (state.ended || state.reaped) {
        return true;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        // WNOWAIT keeps the interpreter unreaped, so its group id cannot be reused yet.
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(state.pid), &info, WEXITED | WNOHANG | WNOWAIT) ==
                0 &&
            info.si_pid == state.pid) {
            state.ended = true;
            state.exitCode = info.si_code == CLD_EXITED ? info.si_status : -1;
            return true;
        }
        const int left = MillisecondsLeft(deadline);
        if (left == 0) {
            return false;
        }
        if (state.endSignal) {
            pollfd entry{state.endSignal.Get(), POLLIN, 0};
            ::poll(&entry, 1, left);
        } else {
            const timespec pause{0, 2000000};  // no pidfd on this kernel: look every 2 ms
            ::nanosleep(&pause, nullptr);
        }
    }
}

int ChildProcess::ExitCode() const {
    return impl_->exitCode;
}

// The zombie of an unreaped interpreter keeps its process group id from being reused, so the
// group signal can only reach the command's own tree.
void ChildProcess::Terminate() noexcept {
    Impl& state = *impl_;
    if (state.reaped) {
        return;
    }
    ::kill(-state.pid, SIGKILL);
    ::kill(state.pid, SIGKILL);  // also when the interpreter itself left its group
    constexpr int kEndLimitMs = 5000;
    WaitForEnd(kEndLimitMs);  // once it has ended, all its children have come to the station
    EndDescendants(state.pid);
    int status = 0;
    while (::waitpid(state.pid, &status, 0) < 0 && errno == EINTR) {
    }
    state.reaped = true;
    state.ended = true;
    LiveInterpreters::Get().Remove(state.pid);
}

}  // namespace os
