// Files on Windows: CreateFileW with the share modes the station asks for, on paths of any
// length.
#include <algorithm>
#include <memory>

#include "platform/files.h"
#include "platform/internal/win32.h"

namespace os {

using win32::FileCallPath;

namespace {

[[noreturn]] void Throw(FileVerb verb, const std::string& path, DWORD code) {
    throw FileError(verb, path, code);
}

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

DWORD ShareFlags(Share share) {
    switch (share) {
        case Share::kNone:
            return 0;
        case Share::kRead:
            return FILE_SHARE_READ;
        case Share::kReadWrite:
            return FILE_SHARE_READ | FILE_SHARE_WRITE;
    }
    return 0;
}

struct Opened {
    HANDLE handle;
    DWORD error;  // GetLastError() right after the call
};

Opened OpenHandle(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    const std::wstring wide = FileCallPath(path);
    HANDLE handle = CreateFileW(wide.c_str(), access, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    return {handle, GetLastError()};
}

File FileOf(const std::string& path, HANDLE handle) {
    return File(reinterpret_cast<std::intptr_t>(handle), path);
}

// Largest piece handed to one ReadFile or WriteFile, whose sizes are 32-bit.
constexpr std::size_t kLargestTransfer = std::size_t{1} << 30;

DWORD Attributes(const std::string& path) {
    return GetFileAttributesW(FileCallPath(path).c_str());
}

}  // namespace

bool FileError::HeldByAnotherProgram() const {
    return systemCode_ == ERROR_SHARING_VIOLATION || systemCode_ == ERROR_LOCK_VIOLATION;
}

std::vector<std::string> FileNamesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE first = FindFirstFileW(FileCallPath(folder + "*").c_str(), &found);
    if (first == INVALID_HANDLE_VALUE) {
        return names;
    }
    const std::unique_ptr<void, decltype(&FindClose)> search(first, &FindClose);
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.push_back(win32::Narrow(found.cFileName));
        }
    } while (FindNextFileW(search.get(), &found));
    return names;
}

bool FileExists(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<FileStamp> StampOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(FileCallPath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    auto units = [](const FILETIME& t) {  // 100 ns since 1601
        return static_cast<std::uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
    };
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    FileStamp stamp;
    stamp.size = static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    stamp.identity = units(data.ftCreationTime);
    stamp.changed = static_cast<std::int64_t>(units(data.ftLastWriteTime));
    stamp.settled = static_cast<std::int64_t>(units(now)) - stamp.changed > 20000000;
    return stamp;
}

void File::Close() noexcept {
    if (handle_ != kInvalid) {
        CloseHandle(AsHandle(handle_));
        handle_ = kInvalid;
    }
}

bool File::IsStillNamed() const noexcept {
    return IsOpen();
}

std::size_t File::Read(void* buffer, std::size_t size) {
    if (!IsOpen()) {
        Throw(FileVerb::kRead, path_, ERROR_INVALID_HANDLE);
    }
    DWORD read = 0;
    const DWORD want = static_cast<DWORD>(std::min(size, kLargestTransfer));
    if (!ReadFile(AsHandle(handle_), buffer, want, &read, nullptr)) {
        Throw(FileVerb::kRead, path_, GetLastError());
    }
    return read;
}

void File::Write(const void* data, std::size_t size) {
    if (!IsOpen()) {
        Throw(FileVerb::kWrite, path_, ERROR_INVALID_HANDLE);
    }
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD want = static_cast<DWORD>(std::min(size, kLargestTransfer));
        DWORD written = 0;
        if (!WriteFile(AsHandle(handle_), bytes, want, &written, nullptr)) {
            Throw(FileVerb::kWrite, path_, GetLastError());
        }
        if (written == 0) {
            Throw(FileVerb::kWrite, path_, ERROR_WRITE_FAULT);
        }
        bytes += written;
        size -= written;
    }
}

File OpenForReading(const std::string& path, Share share) {
    const Opened opened = OpenHandle(path, GENERIC_READ, ShareFlags(share), OPEN_EXISTING);
    if (opened.handle == INVALID_HANDLE_VALUE) {
        Throw(FileVerb::kOpen, path, opened.error);
    }
    return FileOf(path, opened.handle);
}

File CreateForWriting(const std::string& path, Share share) {
    const Opened opened = OpenHandle(path, GENERIC_WRITE, ShareFlags(share), CREATE_ALWAYS);
    if (opened.handle == INVALID_HANDLE_VALUE) {
        Throw(FileVerb::kCreate, path, opened.error);
    }
    return FileOf(path, opened.handle);
}

File OpenForAppending(const std::string& path) {
    // Append access without write access: the system puts every write at the file's end as it
    // is at that moment, so lines of two processes appending to one file never overwrite.
    const Opened opened =
        OpenHandle(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS);
    if (opened.handle == INVALID_HANDLE_VALUE) {
        Throw(FileExists(path) ? FileVerb::kOpen : FileVerb::kCreate, path, opened.error);
    }
    return FileOf(path, opened.handle);
}

std::optional<char> LastByteOf(const std::string& path) {
    const File file = OpenForReading(path, Share::kReadWrite);
    const HANDLE handle = AsHandle(file.handle_);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle, &size)) {
        Throw(FileVerb::kRead, path, GetLastError());
    }
    if (size.QuadPart == 0) {
        return std::nullopt;
    }
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(size.QuadPart - 1);
    at.OffsetHigh = static_cast<DWORD>((size.QuadPart - 1) >> 32);
    char byte = 0;
    DWORD read = 0;
    const BOOL ok = ReadFile(handle, &byte, 1, &read, &at);
    if (!ok || read != 1) {
        Throw(FileVerb::kRead, path, ok ? ERROR_HANDLE_EOF : GetLastError());
    }
    return byte;
}

// The new content reaches the disk before the rename, and the rename before the call returns,
// so a power cut leaves the old file or the new one, never an empty or zero-filled one.
void ReplaceFile(const std::string& from, const std::string& to) {
    const std::wstring wideFrom = FileCallPath(from);
    const std::wstring wideTo = FileCallPath(to);
    {
        win32::Handle written(CreateFileW(wideFrom.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (written.IsValid()) {
            FlushFileBuffers(written.Get());  // best effort: the rename reports real failures
        }
    }
    if (!MoveFileExW(wideFrom.c_str(), wideTo.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Throw(FileVerb::kCreate, to, GetLastError());
    }
}

void RemoveFile(const std::string& path) noexcept {
    try {
        DeleteFileW(FileCallPath(path).c_str());
    } catch (...) {
        // A path too long to convert names no file.
    }
}

// Without MOVEFILE_REPLACE_EXISTING the move fails when the new name exists.
bool MoveUnlessExists(const std::string& from, const std::string& to) {
    if (!MoveFileExW(FileCallPath(from).c_str(), FileCallPath(to).c_str(), 0)) {
        const DWORD error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
            return false;
        }
        Throw(FileVerb::kCreate, to, error);
    }
    return true;
}

}  // namespace os
