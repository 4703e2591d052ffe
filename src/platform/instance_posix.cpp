// The single-instance claim on Linux: an abstract-namespace unix socket. No file another user
// could make or hold first, and the kernel frees the name when the process ends in any way.
#include <sys/socket.h>
#include <sys/un.h>

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "platform/instance.h"
#include "platform/text.h"
#include "platform/unique_fd.h"

namespace os {

std::string InstanceClaimName(const std::string& title) {
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

InstanceLock::InstanceLock(const std::string& title) {
    const std::string socketName = InstanceClaimName(title);
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
            problem_ = "the holder of the name cannot be asked: " +
                       SystemErrorText(static_cast<std::uint32_t>(errno));
        }
    } else {
        problem_ =
            "the name cannot be claimed: " + SystemErrorText(static_cast<std::uint32_t>(bindError));
    }
    // Not silent: the station runs as the only copy, and says why it could not make sure.
    std::fprintf(stderr, "romtool: single-instance check for \"%s\" not made, %s\n", title.c_str(),
                 problem_.c_str());
}

InstanceLock::~InstanceLock() {
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_));
    }
}

}  // namespace os
