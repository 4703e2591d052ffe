// The single-instance claim: one running copy per title and user.
#pragma once

#include <cstdint>
#include <string>

namespace os {

// The name the claim for title uses: the mutex's name on Windows (the title itself); elsewhere
// the abstract-namespace socket name, made of the user id and the title (a title too long for a
// socket name replaced by its hash), starting with its zero byte.
std::string InstanceClaimName(const std::string& title);

// A process-wide claim on a title: a named mutex on Windows; elsewhere an abstract-namespace
// unix socket named by the user id and the title, which no other user can hold for this one.
// The claim lasts as long as this object, and the OS drops it when the process ends in any way.
class InstanceLock {
public:
    // Claims the title. When the claim itself cannot be made (not because another copy holds
    // it), the result is as if this were the only copy, and Problem() says why; on Linux that
    // line also goes to standard error.
    explicit InstanceLock(const std::string& title);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when another process of this user already holds the title.
    bool AlreadyRunning() const { return alreadyRunning_; }
    // Why the check could not be made; empty when it was.
    const std::string& Problem() const { return problem_; }

private:
    std::intptr_t handle_ = -1;
    bool alreadyRunning_ = false;
    std::string problem_;
};

}  // namespace os
