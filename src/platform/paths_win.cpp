// Paths on Windows.
#include "platform/internal/win32.h"
#include "platform/paths.h"

namespace os {

using win32::Narrow;
using win32::Widen;

const char kPathSeparator = '\\';
const char* const kExecutableSuffix = ".exe";
const char* const kExpandedInQuotes = "%";

bool IsFolderBreak(char c) {
    return c == '\\' || c == ':';
}

const std::size_t kLongestCommandPath = MAX_PATH - 1;

std::size_t PathLength(std::string_view path) {
    return Widen(path).size();
}

std::string ExecutablePath() {
    // The path may be longer than MAX_PATH; a result that fills the buffer may be cut short.
    constexpr std::size_t kLongestPath = 32768;
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0) {
            return {};
        }
        if (length < size || buffer.size() >= kLongestPath) {
            buffer.resize(length);
            return Narrow(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

namespace {

bool IsSlash(char c) {
    return c == '\\' || c == '/';
}

}  // namespace

bool IsAbsolutePath(std::string_view path) {
    const bool drive = path.size() >= 3 && path[1] == ':' && IsSlash(path[2]) &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    const bool unc = path.size() >= 2 && IsSlash(path[0]) && IsSlash(path[1]);
    return drive || unc;
}

namespace {

// The full path GetFullPathNameW makes of path; "" when it fails.
std::wstring FullPath(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return {};
    }
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) {
        return {};
    }
    full.resize(length);
    return full;
}

}  // namespace

std::string AbsolutePath(std::string_view path) {
    if (path.empty() || IsAbsolutePath(path)) {
        return std::string(path);
    }
    const std::wstring full = FullPath(Widen(path));
    return full.empty() ? std::string(path) : Narrow(full);
}

std::wstring win32::FileCallPath(std::string_view utf8) {
    std::wstring wide = Widen(utf8);
    if (wide.size() < MAX_PATH || wide.rfind(L"\\\\?\\", 0) == 0) {
        return wide;
    }
    const std::wstring full = FullPath(wide);
    if (full.empty() || full.rfind(L"\\\\.\\", 0) == 0) {
        return wide;  // a device path is used as it is
    }
    if (full.rfind(L"\\\\", 0) == 0) {
        return L"\\\\?\\UNC\\" + full.substr(2);  // \\server\share\...
    }
    return L"\\\\?\\" + full;
}

// Within double quotes cmd.exe takes blanks and & | < > ^ ( ) literally. Paths cannot contain
// a double quote, so there is nothing to escape.
std::string QuoteArgument(std::string_view argument) {
    std::string quoted;
    quoted.reserve(argument.size() + 2);
    quoted += '"';
    quoted += argument;
    quoted += '"';
    return quoted;
}

}  // namespace os
