// What the benchmarks share: data files, starting a program directly (the anchors' way) and
// the peak memory of a child.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace bench {

// A file of size random bytes in the temporary folder ($TMPDIR), made on first use and kept, so
// that repeated runs of the benchmarks read the same file from the page cache.
std::string DataFile(std::size_t size);

// How a child that was started and waited for went.
struct ChildRun {
    std::chrono::nanoseconds elapsed{};  // from posix_spawn to the end of the wait
    std::chrono::nanoseconds cpu{};      // the child's processor time, user and system
    long maxRssKib = 0;                  // the child's peak resident memory
    int status = -1;                     // as waitpid reports it
};

// Starts argv[0] (searched in PATH) with argv and the extra environment entries ("NAME=value")
// added to ours, standard output and error to /dev/null, and waits for it. Throws
// std::runtime_error when it cannot be started.
ChildRun SpawnAndWait(const std::vector<std::string>& argv,
                      const std::vector<std::string>& extraEnvironment = {});

// A started child that is ended (SIGKILL) and waited for when destroyed.
class Child {
public:
    Child(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnvironment);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // Kills it and waits; returns its peak resident memory in KiB.
    long KillAndWait();

private:
    int pid_ = -1;
};

// The resident memory this process has had at most so far, in KiB.
long PeakRssKib();

}  // namespace bench
