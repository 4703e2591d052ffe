#include "process_checks.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <filesystem>

#include "platform/instance.h"

namespace test_support {

int OpenDescriptorCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

bool NoChildLeft() {
    return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

bool EndsSoon(pid_t pid) {
    const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0) {
        return errno == ESRCH;
    }
    pollfd entry{fd, POLLIN, 0};
    const bool ended = ::poll(&entry, 1, 10000) == 1;
    ::close(fd);
    return ended;
}

ForeignInstanceClaim::ForeignInstanceClaim(const std::string& title) {
    const std::string socketName = os::InstanceClaimName(title);
    int ready[2];
    if (::geteuid() != 0 || ::pipe(ready) != 0) {
        return;
    }
    squatter_ = ::fork();
    if (squatter_ == 0) {
        ::close(ready[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(1);
        }
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, socketName.data(), socketName.size());
        const int claim = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const auto length =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + socketName.size());
        const char held = ::bind(claim, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
                          ::listen(claim, 4) == 0;
        (void)!::write(ready[1], &held, 1);
        ::pause();  // until killed
        ::_exit(0);
    }
    ::close(ready[1]);
    char held = 0;
    held_ = squatter_ > 0 && ::read(ready[0], &held, 1) == 1 && held == 1;
    ::close(ready[0]);
}

ForeignInstanceClaim::~ForeignInstanceClaim() {
    if (squatter_ > 0) {
        ::kill(squatter_, SIGKILL);
        ::waitpid(squatter_, nullptr, 0);
    }
}

}  // namespace test_support
