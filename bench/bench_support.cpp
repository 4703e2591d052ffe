#include "bench_support.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#include "bench_platform.h"

extern char** environ;

namespace bench {

namespace {

// argv and envp in the form posix_spawn takes, owning their strings.
class SpawnArguments {
public:
    SpawnArguments(const std::vector<std::string>& argv,
                   const std::vector<std::string>& extraEnvironment)
        : strings_(argv) {
        // The extra entries come first: getenv takes the first entry of a name.
        strings_.insert(strings_.end(), extraEnvironment.begin(), extraEnvironment.end());
        for (char** entry = environ; *entry != nullptr; ++entry) {
            strings_.emplace_back(*entry);
        }
        for (std::size_t i = 0; i < strings_.size(); ++i) {
            (i < argv.size() ? argv_ : envp_).push_back(strings_[i].data());
        }
        argv_.push_back(nullptr);
        envp_.push_back(nullptr);
    }
    char* const* Argv() { return argv_.data(); }
    char* const* Envp() { return envp_.data(); }

private:
    std::vector<std::string> strings_;
    std::vector<char*> argv_;
    std::vector<char*> envp_;
};

int Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnvironment) {
    SpawnArguments arguments(argv, extraEnvironment);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, argv.at(0).c_str(), &actions, nullptr, arguments.Argv(),
                                   arguments.Envp());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(error));
    }
    return pid;
}

ChildRun Wait(int pid) {
    ChildRun run;
    struct rusage usage {};
    while (::wait4(pid, &run.status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.maxRssKib = usage.ru_maxrss;
    for (const timeval& t : {usage.ru_utime, usage.ru_stime}) {
        run.cpu += std::chrono::seconds(t.tv_sec) + std::chrono::microseconds(t.tv_usec);
    }
    return run;
}

}  // namespace

std::string DataFile(std::size_t size) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("romtool-bench-" + std::to_string(size) + ".bin");
    std::error_code error;
    if (std::filesystem::file_size(path, error) == size) {
        return path.string();
    }
    std::mt19937_64 random(size);
    std::vector<std::uint64_t> block(1 << 17);  // 1 MiB
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (std::size_t left = size; left > 0;) {
        for (auto& word : block) {
            word = random();
        }
        const std::size_t count = std::min(left, block.size() * sizeof block[0]);
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(count));
        left -= count;
    }
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + path.string());
    }
    return path.string();
}

ChildRun SpawnAndWait(const std::vector<std::string>& argv,
                      const std::vector<std::string>& extraEnvironment) {
    const auto start = std::chrono::steady_clock::now();
    ChildRun run = Wait(Spawn(argv, extraEnvironment));
    run.elapsed = std::chrono::steady_clock::now() - start;
    return run;
}

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnvironment)
    : pid_(Spawn(argv, extraEnvironment)) {}

Child::~Child() {
    if (pid_ > 0) {
        KillAndWait();
    }
}

long Child::KillAndWait() {
    ::kill(pid_, SIGKILL);
    const ChildRun run = Wait(pid_);
    pid_ = -1;
    return run.maxRssKib;
}

int RunScript(const std::string& path) {
    const ChildRun run = SpawnAndWait({"/bin/sh", path});
    return WIFEXITED(run.status) ? WEXITSTATUS(run.status) : -1;
}

void RunAsWindowProgram() {}

long PeakRssKib() {
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace bench
