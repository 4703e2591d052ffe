// Checks that a test left no descriptor open and no process behind (Linux only).
#pragma once

#include <sys/types.h>

#include <string>

namespace test_support {

// How many descriptors this process has open now.
int OpenDescriptorCount();
// True when this process has no child left, running or unreaped.
bool NoChildLeft();
// Waits (at most 10 s) until process pid has ended; a zombie counts as ended.
bool EndsSoon(pid_t pid);

// Another user (uid 65534) holding, while this object lives, the socket name the single-instance
// claim of this user for title would use. Needs root; Held() says whether the squatter got it.
class ForeignInstanceClaim {
public:
    explicit ForeignInstanceClaim(const std::string& title);
    ~ForeignInstanceClaim();
    ForeignInstanceClaim(const ForeignInstanceClaim&) = delete;
    ForeignInstanceClaim& operator=(const ForeignInstanceClaim&) = delete;

    bool Held() const { return held_; }

private:
    pid_t squatter_ = -1;
    bool held_ = false;
};

}  // namespace test_support
