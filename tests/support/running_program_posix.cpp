#include "running_program_posix.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstring>

extern char** environ;

namespace test_support {

namespace {

std::vector<char*> Pointers(const std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (const std::string& text : texts) {
        pointers.push_back(const_cast<char*>(text.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

struct Pipe {
    os::UniqueFd read;
    os::UniqueFd write;
    Pipe() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "pipe2: " << std::strerror(errno);
            return;
        }
        read.Reset(fds[0]);
        write.Reset(fds[1]);
    }
};

}  // namespace

RunningProgram::RunningProgram(const std::vector<std::string>& arguments,
                               const std::string& workingFolder,
                               const std::vector<std::string>& variables, Streams streams) {
    std::vector<std::string> environment = variables;
    for (char** v = environ; *v != nullptr; ++v) {
        if (std::strncmp(*v, "STANDIN_", 8) != 0) {
            environment.emplace_back(*v);
        }
    }
    std::vector<char*> argv = Pointers(arguments);
    std::vector<char*> envp = Pointers(environment);
    Pipe out;
    Pipe err;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::setpgid(0, 0);
        const int errorFd = streams == Streams::kCombined ? out.write.Get() : err.write.Get();
        if (::chdir(workingFolder.c_str()) != 0 || ::dup2(out.write.Get(), 1) < 0 ||
            ::dup2(errorFd, 2) < 0) {
            ::_exit(126);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    EXPECT_GT(pid_, 0) << "fork: " << std::strerror(errno);
    out_ = std::move(out.read);
    if (streams == Streams::kSeparate) {
        err_ = std::move(err.read);
    }
}

RunningProgram::~RunningProgram() {
    if (pid_ > 0 && !reaped_) {
        ::kill(-pid_, SIGKILL);
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

bool RunningProgram::ReadToEnd(std::chrono::milliseconds limit) {
    return ReadWhile([] { return true; }, limit);
}

bool RunningProgram::ReadUntil(const std::string& text, std::chrono::milliseconds limit) {
    ReadWhile([&] { return output_.find(text) == std::string::npos; }, limit);
    return output_.find(text) != std::string::npos;
}

int RunningProgram::Wait() {
    int status = 0;
    if (::waitpid(pid_, &status, 0) == pid_) {
        reaped_ = true;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool RunningProgram::ReadWhile(const std::function<bool()>& goOn, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while ((out_ || err_) && goOn()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd fds[] = {{out_.Get(), POLLIN, 0}, {err_.Get(), POLLIN, 0}};
        if (::poll(fds, 2, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        if (fds[0].revents != 0) {
            Take(out_, output_, true);
        }
        if (fds[1].revents != 0) {
            Take(err_, errors_, false);
        }
    }
    return true;
}

void RunningProgram::Take(os::UniqueFd& fd, std::string& into, bool recordReads) {
    char buffer[65536];
    const ssize_t count = ::read(fd.Get(), buffer, sizeof buffer);
    if (count <= 0) {
        fd.Reset();
        return;
    }
    into.append(buffer, static_cast<std::size_t>(count));
    if (recordReads) {
        reads_.emplace_back(buffer, static_cast<std::size_t>(count));
    }
}

}  // namespace test_support
