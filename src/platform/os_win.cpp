// The OS layer on Windows: the W calls of the Win32 API, with UTF-8 at the interface.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "os.h"
#include "win32.h"

namespace os {

// ---------------------------------------------------------------------------------------------
// UTF-8 <-> UTF-16

namespace win32 {

namespace {

int CheckedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw std::length_error("text too long for the system's conversion");
    }
    return static_cast<int>(size);
}

// MultiByteToWideChar over all of bytes; false when flags asked for strictness and some byte
// does not decode.
bool ToWide(UINT codePage, DWORD flags, std::string_view bytes, std::wstring& wide) {
    wide.clear();
    if (bytes.empty()) {
        return true;
    }
    const int length = CheckedLength(bytes.size());
    const int size = MultiByteToWideChar(codePage, flags, bytes.data(), length, nullptr, 0);
    if (size <= 0) {
        return false;
    }
    wide.resize(static_cast<std::size_t>(size));
    return MultiByteToWideChar(codePage, flags, bytes.data(), length, wide.data(), size) == size;
}

std::string FromWide(UINT codePage, std::wstring_view wide) {
    if (wide.empty()) {
        return {};
    }
    const int length = CheckedLength(wide.size());
    const int size =
        WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return {};
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

}  // namespace

std::wstring Widen(std::string_view utf8) {
    std::wstring wide;
    ToWide(CP_UTF8, 0, utf8, wide);
    return wide;
}

std::string Narrow(std::wstring_view utf16) {
    return FromWide(CP_UTF8, utf16);
}

}  // namespace win32

using win32::Narrow;
using win32::Widen;

// ---------------------------------------------------------------------------------------------
// Text

AnsiString ToAnsi(std::string_view utf8) {
    return AnsiString(win32::FromWide(CP_ACP, Widen(utf8)));
}

std::string FromAnsi(std::string_view ansi) {
    std::wstring wide;
    if (win32::ToWide(CP_ACP, MB_ERR_INVALID_CHARS, ansi, wide)) {
        return Narrow(wide);
    }
    const UINT codePage = GetACP();
    if (codePage == CP_UTF8) {
        return Narrow(Widen(ansi));  // already U+FFFD for what does not decode
    }
    // Some byte does not decode: go character by character so that only those become U+FFFD,
    // and a broken double-byte pair does not swallow the byte after its lead byte.
    std::wstring result;
    std::wstring piece;
    std::size_t i = 0;
    while (i < ansi.size()) {
        const bool lead = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(ansi[i])) != 0;
        const std::size_t length = lead && i + 1 < ansi.size() ? 2 : 1;
        if (win32::ToWide(codePage, MB_ERR_INVALID_CHARS, ansi.substr(i, length), piece)) {
            result += piece;
            i += length;
        } else {
            result += L'\xFFFD';
            i += 1;
        }
    }
    return Narrow(result);
}

// ---------------------------------------------------------------------------------------------
// Paths

const char kPathSeparator = '\\';
const char* const kExecutableSuffix = ".exe";
const char* const kLineBreak = "\r\n";
const char* const kExpandedInQuotes = "%";

bool IsFolderBreak(char c) {
    return c == '\\' || c == ':';
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

// "C:\..." or a UNC or device path "\\...". "\x" and "C:x" depend on the current drive or
// folder and are not absolute.
bool IsAbsolute(std::string_view path) {
    const bool drive = path.size() >= 3 && path[1] == ':' && IsSlash(path[2]) &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    const bool unc = path.size() >= 2 && IsSlash(path[0]) && IsSlash(path[1]);
    return drive || unc;
}

}  // namespace

std::string AbsolutePath(std::string_view path) {
    if (path.empty() || IsAbsolute(path)) {
        return std::string(path);
    }
    const std::wstring wide = Widen(path);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return std::string(path);
    }
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) {
        return std::string(path);
    }
    full.resize(length);
    return Narrow(full);
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

// ---------------------------------------------------------------------------------------------
// Files

namespace {

bool DroppedAtTheEnd(wchar_t c) {
    // The ideographic full stop ends the system's texts on Chinese Windows.
    return c <= L' ' || c == L'.' || c == L'\x3002';
}

// The system's own text for an error code, without trailing blanks, control characters and
// full stops.
std::string SystemMessage(DWORD code) {
    wchar_t text[1024];
    DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                       text, static_cast<DWORD>(std::size(text)), nullptr);
    while (length > 0 && DroppedAtTheEnd(text[length - 1])) {
        --length;
    }
    if (length == 0) {
        return "System error " + std::to_string(code);
    }
    return Narrow(std::wstring_view(text, length));
}

[[noreturn]] void ThrowFileError(const char* what, const std::string& path, DWORD code) {
    throw FileError(std::string(what) + " \"" + AbsolutePath(path) + "\". " + SystemMessage(code));
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
    const std::wstring wide = Widen(path);
    HANDLE handle = CreateFileW(wide.c_str(), access, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    return {handle, GetLastError()};
}

// Largest piece handed to one ReadFile or WriteFile, whose sizes are 32-bit.
constexpr std::size_t kLargestTransfer = std::size_t{1} << 30;

}  // namespace

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
        ThrowFileError("Cannot read file", path_, ERROR_INVALID_HANDLE);
    }
    DWORD read = 0;
    const DWORD want = static_cast<DWORD>(std::min(size, kLargestTransfer));
    if (!ReadFile(AsHandle(handle_), buffer, want, &read, nullptr)) {
        ThrowFileError("Cannot read file", path_, GetLastError());
    }
    return read;
}

void File::Write(const void* data, std::size_t size) {
    if (!IsOpen()) {
        ThrowFileError("Cannot write file", path_, ERROR_INVALID_HANDLE);
    }
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD want = static_cast<DWORD>(std::min(size, kLargestTransfer));
        DWORD written = 0;
        if (!WriteFile(AsHandle(handle_), bytes, want, &written, nullptr)) {
            ThrowFileError("Cannot write file", path_, GetLastError());
        }
        if (written == 0) {
            ThrowFileError("Cannot write file", path_, ERROR_WRITE_FAULT);
        }
        bytes += written;
        size -= written;
    }
}

File OpenForReading(const std::string& path, Share share) {
    const Opened opened = OpenHandle(path, GENERIC_READ, ShareFlags(share), OPEN_EXISTING);
    if (opened.handle == INVALID_HANDLE_VALUE) {
        ThrowFileError("Cannot open file", path, opened.error);
    }
    return File(reinterpret_cast<std::intptr_t>(opened.handle), path);
}

File CreateForWriting(const std::string& path, Share share) {
    const Opened opened = OpenHandle(path, GENERIC_WRITE, ShareFlags(share), CREATE_ALWAYS);
    if (opened.handle == INVALID_HANDLE_VALUE) {
        ThrowFileError("Cannot create file", path, opened.error);
    }
    return File(reinterpret_cast<std::intptr_t>(opened.handle), path);
}

File OpenForAppending(const std::string& path) {
    // Append access without write access: the system puts every write at the file's end as it
    // is at that moment, so lines of two processes appending to one file never overwrite.
    const Opened opened =
        OpenHandle(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS);
    if (opened.handle == INVALID_HANDLE_VALUE) {
        ThrowFileError(FileExists(path) ? "Cannot open file" : "Cannot create file", path,
                       opened.error);
    }
    return File(reinterpret_cast<std::intptr_t>(opened.handle), path);
}

// The new content reaches the disk before the rename, and the rename before the call returns,
// so a power cut leaves the old file or the new one, never an empty or zero-filled one.
void ReplaceFile(const std::string& from, const std::string& to) {
    const std::wstring wideFrom = Widen(from);
    const std::wstring wideTo = Widen(to);
    {
        win32::Handle written(CreateFileW(wideFrom.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (written.IsValid()) {
            FlushFileBuffers(written.Get());  // best effort: the rename reports real failures
        }
    }
    if (!MoveFileExW(wideFrom.c_str(), wideTo.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ThrowFileError("Cannot create file", to, GetLastError());
    }
}

void RemoveFile(const std::string& path) noexcept {
    try {
        DeleteFileW(Widen(path).c_str());
    } catch (...) {
        // A path too long to convert names no file.
    }
}

// Without MOVEFILE_REPLACE_EXISTING the move fails when the new name exists.
bool MoveUnlessExists(const std::string& from, const std::string& to) {
    if (!MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), 0)) {
        const DWORD error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
            return false;
        }
        ThrowFileError("Cannot create file", to, error);
    }
    return true;
}

namespace {

DWORD Attributes(const std::string& path) {
    return GetFileAttributesW(Widen(path).c_str());
}

}  // namespace

bool FileExists(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::optional<FileStamp> StampOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data) ||
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

bool FolderExists(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// ---------------------------------------------------------------------------------------------
// Configuration

std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue, const std::string& iniPath) {
    // A relative name would be looked up in the Windows folder, so the path is made full.
    const std::wstring wideSection = Widen(section);
    const std::wstring wideKey = Widen(key);
    const std::wstring wideDefault = Widen(defaultValue);
    const std::wstring widePath = Widen(AbsolutePath(iniPath));
    wchar_t value[2048];
    const DWORD length =
        GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), wideDefault.c_str(), value,
                                 static_cast<DWORD>(std::size(value)), widePath.c_str());
    return Narrow(std::wstring_view(value, length));
}

// ---------------------------------------------------------------------------------------------
// Clock

LocalTime LocalNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    LocalTime time;
    time.year = now.wYear;
    time.month = now.wMonth;
    time.day = now.wDay;
    time.hour = now.wHour;
    time.minute = now.wMinute;
    time.second = now.wSecond;
    time.millisecond = now.wMilliseconds;
    return time;
}

// ---------------------------------------------------------------------------------------------
// Single instance

InstanceLock::InstanceLock(const std::string& name) {
    const std::wstring wideName = Widen(name);
    HANDLE mutex = CreateMutexW(nullptr, FALSE, wideName.c_str());
    const DWORD error = GetLastError();
    // A mutex that cannot be created at all leaves this copy running as the only one.
    if (mutex != nullptr) {
        handle_ = reinterpret_cast<std::intptr_t>(mutex);
        alreadyRunning_ = error == ERROR_ALREADY_EXISTS;
    } else {
        problem_ = "the mutex cannot be created (system error " + std::to_string(error) + ")";
    }
}

InstanceLock::~InstanceLock() {
    if (handle_ != -1) {
        CloseHandle(AsHandle(handle_));
    }
}

// ---------------------------------------------------------------------------------------------
// Processes

struct ChildProcess::Impl {
    win32::Handle process;  // the command interpreter
    win32::Handle job;      // its tree; none when the system refused to put it in a job
    win32::Handle output;   // read end of the pipe
    bool ended = false;     // the interpreter has ended
    int exitCode = -1;      // its exit code when it ended by itself
};

namespace {

// cmd.exe from the system folder, so that no cmd.exe beside the station or in its working
// folder is run in its place.
std::wstring InterpreterPath() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, static_cast<UINT>(std::size(folder)));
    if (length == 0 || length >= std::size(folder)) {
        return {};
    }
    return std::wstring(folder, length) + L"\\cmd.exe";
}

// A job that ends every process in it when its last handle closes, so that no process of the
// tree outlives this object even if the station itself is ended.
win32::Handle KillOnCloseJob() {
    win32::Handle job(CreateJobObjectW(nullptr, nullptr));
    if (!job.IsValid()) {
        return {};
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits,
                                 sizeof limits)) {
        return {};
    }
    return job;
}

// Between creating the pipe's inheritable write end and closing it after CreateProcessW, a
// process started by another thread would inherit it and keep this pipe open; starts are
// therefore taken one at a time.
std::mutex& StartLock() {
    static std::mutex lock;
    return lock;
}

}  // namespace

ChildProcess::ChildProcess(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::string& commandLine,
                                                  const std::string& workingFolder) {
    auto impl = std::make_unique<Impl>();
    // The extra pair of quotes is the one cmd strips, so quotes inside the line stay intact.
    std::wstring command = Widen("cmd.exe /C \"" + commandLine + "\"");
    const std::wstring folder = Widen(workingFolder);
    const std::wstring interpreter = InterpreterPath();
    PROCESS_INFORMATION created{};
    {
        std::lock_guard<std::mutex> lock(StartLock());
        win32::Handle input;
        SECURITY_ATTRIBUTES inheritable{};
        inheritable.nLength = sizeof inheritable;
        inheritable.bInheritHandle = TRUE;
        if (!CreatePipe(impl->output.Receive(), input.Receive(), &inheritable, 0) ||
            !SetHandleInformation(impl->output.Get(), HANDLE_FLAG_INHERIT, 0)) {
            return nullptr;
        }
        impl->job = KillOnCloseJob();

        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = input.Get();
        startup.hStdError = input.Get();
        const BOOL started =
            CreateProcessW(interpreter.empty() ? nullptr : interpreter.c_str(), command.data(),
                           nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                           folder.empty() ? nullptr : folder.c_str(), &startup, &created);
        // Our copy of the write end closes here on both paths, so the pipe reports its end once
        // the tree has closed its copies.
        if (!started) {
            return nullptr;
        }
    }
    win32::Handle thread(created.hThread);
    impl->process.Reset(created.hProcess);
    // Assigned while still suspended, so everything the interpreter starts is in the job too.
    if (impl->job.IsValid() && !AssignProcessToJobObject(impl->job.Get(), created.hProcess)) {
        impl->job.Reset();  // e.g. an old system that does not nest jobs: end the interpreter only
    }
    if (ResumeThread(thread.Get()) == static_cast<DWORD>(-1)) {
        TerminateProcess(created.hProcess, 1);
        WaitForSingleObject(created.hProcess, INFINITE);
        return nullptr;
    }
    return std::unique_ptr<ChildProcess>(new ChildProcess(std::move(impl)));
}

ChildProcess::~ChildProcess() {
    Terminate();
}

long ChildProcess::Read(char* buffer, std::size_t capacity, int waitMs) {
    // An anonymous pipe has no overlapped I/O, so waiting for output is polling: peek, and
    // between peeks wait on the interpreter in small steps, which also returns as soon as it
    // ends.
    constexpr DWORD kStepMs = 10;
    constexpr DWORD kStepAfterEndMs = 2;
    constexpr std::size_t kLargestRead = 1 << 20;
    HANDLE output = impl_->output.Get();
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(std::max(waitMs, 0));
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(output, nullptr, 0, nullptr, &available, nullptr)) {
            return kEnded;  // ERROR_BROKEN_PIPE: every writer has closed its end
        }
        if (available > 0) {
            if (capacity == 0) {
                return 0;
            }
            const DWORD want =
                static_cast<DWORD>(std::min({std::size_t{available}, capacity, kLargestRead}));
            DWORD read = 0;
            if (!ReadFile(output, buffer, want, &read, nullptr)) {
                return kEnded;
            }
            return static_cast<long>(read);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return 0;
        }
        const DWORD step = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, kStepMs));
        if (impl_->ended) {
            Sleep(std::min(step, kStepAfterEndMs));  // something it started holds the pipe
        } else if (WaitForEnd(static_cast<int>(step))) {
            return 0;  // the caller learns of the end at once
        }
    }
}

bool ChildProcess::WaitForEnd(int waitMs) noexcept {
    Impl& state = *impl_;
    if (state.ended) {
        return true;
    }
    if (WaitForSingleObject(state.process.Get(), static_cast<DWORD>(std::max(waitMs, 0))) !=
        WAIT_OBJECT_0) {
        return false;
    }
    state.ended = true;
    DWORD code = 0;
    if (GetExitCodeProcess(state.process.Get(), &code)) {
        state.exitCode = static_cast<int>(code);
    }
    return true;
}

int ChildProcess::ExitCode() const {
    return impl_->exitCode;
}

// Ends the tree, then waits a bounded time for the interpreter, so that nothing it holds open
// survives this object for long.
void ChildProcess::Terminate() noexcept {
    constexpr DWORD kEndLimitMs = 10000;
    if (impl_->job.IsValid()) {
        TerminateJobObject(impl_->job.Get(), 1);
    } else if (!impl_->ended) {
        TerminateProcess(impl_->process.Get(), 1);
    }
    WaitForSingleObject(impl_->process.Get(), kEndLimitMs);
    impl_->ended = true;
}

}  // namespace os
