// Finding and ending the processes of a run through /proc.
#include "platform/process_tree.h"

#include <dirent.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/files.h"

namespace os::process_tree {

namespace {

// A file of /proc, or nothing when it cannot be read (the process has gone meanwhile).
std::optional<std::string> ProcFile(const std::string& path) {
    try {
        return ReadWholeFile(path, Share::kRead);
    } catch (const FileError&) {
        return std::nullopt;
    }
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
        const std::optional<std::string> list = ProcFile(tasks + '/' + entry->d_name + "/children");
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

// True when pid's environment holds the marker as one of its variables.
bool CarriesMarker(pid_t pid, const std::string& marker) {
    const std::optional<std::string> environment =
        ProcFile("/proc/" + std::to_string(pid) + "/environ");
    if (!environment) {
        return false;
    }
    const std::string wanted = std::string(1, '\0') + marker + '\0';
    return ('\0' + *environment + '\0').find(wanted) != std::string::npos;
}

// Every process of the run of interpreter: the children of the station that belong to it (the
// interpreter itself and the run's orphans), and everything below them.
std::vector<pid_t> ProcessesOfTheRun(pid_t interpreter, const std::string& marker) {
    std::vector<pid_t> found;
    for (pid_t child : ChildrenOf(::getpid())) {
        if (child == interpreter || ::getpgid(child) == interpreter ||
            CarriesMarker(child, marker)) {
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
bool IsGoneForGood(pid_t pid) {
    const pid_t reaped = ::waitpid(pid, nullptr, WNOHANG);
    return reaped == pid || (reaped < 0 && errno == ECHILD && ::kill(pid, 0) != 0);
}

std::mutex leftoversLock;
std::vector<pid_t> leftovers;

}  // namespace

void BecomeSubreaper() {
    static const bool done = ::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;
    (void)done;
}

std::string NewRunMarker() {
    static std::atomic<unsigned long> runs{0};
    return "ROMTOOL_RUN=" + std::to_string(::getpid()) + "." + std::to_string(++runs);
}

// A process that ends hands its children to the station first, and the kernel's child lists may
// miss a process that changes meanwhile; so the lists are read again, each time after every
// process killed so far is gone, until they show nothing more (for at most a few seconds).
void EndRun(pid_t interpreter, const std::string& marker) {
    constexpr auto kLongest = std::chrono::seconds(5);
    constexpr timespec kPause{0, 1000000};  // 1 ms for the killed ones to go
    const auto giveUp = std::chrono::steady_clock::now() + kLongest;
    std::vector<pid_t> killed;
    while (std::chrono::steady_clock::now() < giveUp) {
        killed.erase(std::remove_if(killed.begin(), killed.end(), IsGoneForGood), killed.end());
        if (!killed.empty()) {
            ::nanosleep(&kPause, nullptr);
            continue;
        }
        for (pid_t pid : ProcessesOfTheRun(interpreter, marker)) {
            if (pid != interpreter) {
                ::kill(pid, SIGKILL);
                killed.push_back(pid);
            }
        }
        if (killed.empty()) {
            return;
        }
    }
    for (pid_t pid : killed) {
        ReapNowOrLater(pid);
    }
}

void ReapNowOrLater(pid_t pid) {
    int status = 0;
    pid_t reaped;
    while ((reaped = ::waitpid(pid, &status, WNOHANG)) < 0 && errno == EINTR) {
    }
    if (reaped == 0) {
        std::lock_guard<std::mutex> guard(leftoversLock);
        leftovers.push_back(pid);
    }
}

void ReapLeftovers() {
    std::lock_guard<std::mutex> guard(leftoversLock);
    leftovers.erase(std::remove_if(leftovers.begin(), leftovers.end(),
                                   [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; }),
                    leftovers.end());
}

}  // namespace os::process_tree
