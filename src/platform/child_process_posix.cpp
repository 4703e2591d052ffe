// Commands on Linux: /bin/sh in a process group of its own, spawned without copying the
// station's memory map, its output read from one pipe.
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "platform/child_process.h"
#include "platform/clock.h"
#include "platform/process_tree.h"
#include "platform/text.h"
#include "platform/unique_fd.h"

extern char** environ;

namespace os {

struct ChildProcess::Impl {
    pid_t pid = -1;      // the interpreter; also the id of its process group
    bool reaped = true;  // its exit status has been collected (or it never ran)
    bool ended = false;  // it has ended (maybe not yet reaped)
    int exitCode = -1;   // its exit code when it ended by itself
    UniqueFd output;     // read end of the pipe behind its standard output and error; non-blocking
    UniqueFd endSignal;  // a pidfd that becomes readable when the interpreter ends, if available
    std::string marker;  // the run's environment marker (process_tree.h)
};

namespace {

// Moves fd above the standard descriptors, so that the child's dup2 onto 1 and 2 can never
// overwrite it, also when this process runs with 0, 1 or 2 closed.
bool LiftAboveStandard(UniqueFd& fd) {
    if (fd.Get() > STDERR_FILENO) {
        return true;
    }
    const int lifted = ::fcntl(fd.Get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
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

// Spawn attributes for the interpreter: a process group of its own, the default action and an
// empty mask for every signal, since ignored and blocked signals would survive exec, and no
// descriptor but the standard ones.
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

    // Returns 0, or the error number of the first setting that failed.
    int Prepare(const char* folder, int output) {
        sigset_t all;
        sigset_t none;
        ::sigfillset(&all);
        ::sigemptyset(&none);
        const int results[] = {
            ::posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF |
                                                         POSIX_SPAWN_SETSIGMASK),
            ::posix_spawnattr_setpgroup(&attributes_, 0),
            ::posix_spawnattr_setsigdefault(&attributes_, &all),
            ::posix_spawnattr_setsigmask(&attributes_, &none),
            ::posix_spawn_file_actions_addchdir_np(&actions_, folder),
            ::posix_spawn_file_actions_adddup2(&actions_, output, STDOUT_FILENO),
            ::posix_spawn_file_actions_adddup2(&actions_, output, STDERR_FILENO),
            // Descriptors the station itself was given without close-on-exec stay behind too:
            // a tool that lingers holds nothing but its standard descriptors.
            ::posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1)};
        for (const int result : results) {
            if (result != 0) {
                return result;
            }
        }
        return 0;
    }
    const posix_spawnattr_t* Attributes() const { return &attributes_; }
    const posix_spawn_file_actions_t* Actions() const { return &actions_; }

private:
    posix_spawnattr_t attributes_;
    posix_spawn_file_actions_t actions_;
};

// The station's environment with the given "NAME=value" entries in place of any of the same
// names. The entries must outlive the result.
std::vector<char*> EnvironmentWith(std::vector<std::string>& entries) {
    const auto replaced = [&entries](const char* variable) {
        for (const std::string& entry : entries) {
            const std::size_t nameEnd = entry.find('=') + 1;
            if (std::strncmp(variable, entry.c_str(), nameEnd) == 0) {
                return true;
            }
        }
        return false;
    };
    std::vector<char*> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (!replaced(*variable)) {
            environment.push_back(*variable);
        }
    }
    for (std::string& entry : entries) {
        environment.push_back(entry.data());
    }
    environment.push_back(nullptr);
    return environment;
}

// Reports why a start failed, when the caller asked; returns the null the start returns.
std::unique_ptr<ChildProcess> StartFailed(StartFailure* failure, const char* call, int code) {
    if (failure) {
        *failure = {call, static_cast<std::uint32_t>(code),
                    SystemErrorText(static_cast<std::uint32_t>(code))};
    }
    return nullptr;
}

// How the shell reports a command a signal ended: 128 + the signal's number.
constexpr int kSignalExitBase = 128;

// A larger pipe than the default 64 KiB lets a tool that prints a lot write on while the
// station reads.
constexpr int kPipeSize = 1 << 20;

}  // namespace

bool EndedAbnormally(int exitCode) {
    constexpr int kCannotRun = 126;  // found but not runnable
    constexpr int kNotFound = 127;
    return exitCode == kCannotRun || exitCode == kNotFound ||
           (exitCode > kSignalExitBase && exitCode <= kSignalExitBase + SIGRTMAX);
}

ChildProcess::ChildProcess(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

ChildProcess::~ChildProcess() {
    Terminate();
}

// A folder that cannot be entered fails the spawn itself: nothing runs then.
std::unique_ptr<ChildProcess> ChildProcess::Start(const std::string& commandLine,
                                                  const std::string& workingFolder,
                                                  const std::vector<EnvironmentVariable>& variables,
                                                  StartFailure* failure) {
    process_tree::BecomeSubreaper();
    process_tree::ReapLeftovers();
    auto impl = std::make_unique<Impl>();
    UniqueFd outputWrite;
    if (!MakePipe(impl->output, outputWrite) ||
        ::fcntl(impl->output.Get(), F_SETFL, O_NONBLOCK) != 0) {
        return StartFailed(failure, "pipe", errno);
    }
    SpawnSetup setup;
    if (const int problem = setup.Prepare(workingFolder.c_str(), outputWrite.Get())) {
        return StartFailed(failure, "posix_spawn", problem);
    }
    ::fcntl(impl->output.Get(), F_SETPIPE_SZ, kPipeSize);  // best effort
    impl->marker = process_tree::NewRunMarker();
    std::vector<std::string> entries{impl->marker};
    for (const EnvironmentVariable& variable : variables) {
        entries.push_back(variable.name + "=" + variable.value);
    }
    std::vector<char*> environment = EnvironmentWith(entries);
    char shell[] = "/bin/sh";
    char option[] = "-c";
    char* const argv[] = {shell, option, const_cast<char*>(commandLine.c_str()), nullptr};
    pid_t pid = -1;
    if (const int problem = ::posix_spawn(&pid, shell, setup.Actions(), setup.Attributes(), argv,
                                          environment.data())) {
        return StartFailed(failure, "posix_spawn", problem);
    }
    outputWrite.Reset();  // the pipe ends once every process of the command has closed it
    impl->pid = pid;
    impl->reaped = false;
    impl->endSignal.Reset(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
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
        const int ready = ::poll(entries, watched, MillisecondsUntil(deadline));
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
            // A signal reads as the shell reports one that ended a command it ran.
            state.exitCode =
                info.si_code == CLD_EXITED ? info.si_status : kSignalExitBase + info.si_status;
            return true;
        }
        const int left = MillisecondsUntil(deadline);
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
// group signal can only reach the command's own tree. A process the kernel cannot end at once
// (stuck in a driver call, as with a probe pulled mid-run) is left to be reaped later: Terminate
// never waits without a bound.
void ChildProcess::Terminate() noexcept {
    Impl& state = *impl_;
    if (state.reaped) {
        return;
    }
    const bool endedByItself = state.ended;
    ::kill(-state.pid, SIGKILL);
    ::kill(state.pid, SIGKILL);  // also when the interpreter itself left its group
    constexpr int kEndLimitMs = 5000;
    WaitForEnd(kEndLimitMs);  // once it has ended, all its children have come to the station
    if (!endedByItself) {
        state.exitCode = -1;  // ended here, not by itself
    }
    process_tree::EndRun(state.pid, state.marker);
    process_tree::ReapNowOrLater(state.pid);
    state.reaped = true;
    state.ended = true;
}

}  // namespace os
