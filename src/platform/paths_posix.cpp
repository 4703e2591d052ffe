// Paths on Linux.
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/paths.h"

namespace os {

const char kPathSeparator = '/';
const char* const kExecutableSuffix = "";
const char* const kExpandedInQuotes = "";

bool IsFolderBreak(char c) {
    return c == '/';
}

const std::size_t kLongestCommandPath = PATH_MAX - 1;

std::size_t PathLength(std::string_view path) {
    return path.size();
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

namespace {

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

}  // namespace

bool IsAbsolutePath(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

std::string AbsolutePath(std::string_view path) {
    if (IsAbsolutePath(path)) {
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

}  // namespace os
