// Commands on Windows: cmd.exe in a Job object that ends the whole tree, its output read from one
// anonymous pipe.
#include <algorithm>
#include <cwchar>
#include <iterator>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/child_process.h"
#include "platform/internal/win32.h"
#include "platform/text.h"

namespace os {

using win32::Widen;

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

// How two "NAME=value" entries of an environment compare by name: without regard to case, as
// the system orders and matches names. "=C:=C:\\..." entries keep their leading '='.
int CompareNames(const std::wstring& a, const std::wstring& b) {
    const std::size_t nameA = a.find(L'=', 1);
    const std::size_t nameB = b.find(L'=', 1);
    return CompareStringOrdinal(a.c_str(), static_cast<int>(std::min(nameA, a.size())), b.c_str(),
                                static_cast<int>(std::min(nameB, b.size())), TRUE);
}

// The station's environment with variables in place of any of the same names, as a block for
// CreateProcessW (CREATE_UNICODE_ENVIRONMENT): sorted by name, as the system keeps it, and
// ended by an empty string.
std::wstring EnvironmentBlockWith(const std::vector<EnvironmentVariable>& variables) {
    std::vector<std::wstring> entries;
    for (const EnvironmentVariable& variable : variables) {
        entries.push_back(Widen(variable.name + "=" + variable.value));
    }
    const std::size_t added = entries.size();
    if (wchar_t* strings = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = strings; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
            const std::wstring inherited(entry);
            if (std::none_of(entries.begin(), entries.begin() + added, [&](const std::wstring& a) {
                    return CompareNames(a, inherited) == CSTR_EQUAL;
                })) {
                entries.push_back(inherited);
            }
        }
        FreeEnvironmentStringsW(strings);
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const std::wstring& a, const std::wstring& b) {
                         return CompareNames(a, b) == CSTR_LESS_THAN;
                     });
    std::wstring block;
    for (const std::wstring& entry : entries) {
        block.append(entry).push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

// The list of the only handles a child inherits (PROC_THREAD_ATTRIBUTE_HANDLE_LIST). Get() is
// null when the system could not make it; the child then inherits every inheritable handle, as
// without the list (the start lock still keeps other runs' pipes out).
class HandleListAttribute {
public:
    explicit HandleListAttribute(std::vector<HANDLE> handles) : handles_(std::move(handles)) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        buffer_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
        if (size == 0 || !InitializeProcThreadAttributeList(list, 1, 0, &size)) {
            return;
        }
        if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                       handles_.size() * sizeof(HANDLE), nullptr, nullptr)) {
            DeleteProcThreadAttributeList(list);
            return;
        }
        list_ = list;
    }
    ~HandleListAttribute() {
        if (list_) {
            DeleteProcThreadAttributeList(list_);
        }
    }
    HandleListAttribute(const HandleListAttribute&) = delete;
    HandleListAttribute& operator=(const HandleListAttribute&) = delete;

    LPPROC_THREAD_ATTRIBUTE_LIST Get() const { return list_; }

private:
    std::vector<HANDLE> handles_;  // must outlive the list, which points at them
    std::vector<unsigned char> buffer_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// Reports why a start failed, with the thread's last error, when the caller asked; returns the
// null the start returns.
std::unique_ptr<ChildProcess> StartFailed(StartFailure* failure, const char* call) {
    const DWORD code = GetLastError();
    if (failure) {
        *failure = {call, code, SystemErrorText(code)};
    }
    return nullptr;
}

}  // namespace

bool EndedAbnormally(int exitCode) {
    constexpr std::uint32_t kFirstErrorStatus = 0xC0000000;  // NTSTATUS: severity "error"
    constexpr int kCannotRun = 9009;  // cmd: not recognized, or could not be launched
    return static_cast<std::uint32_t>(exitCode) >= kFirstErrorStatus || exitCode == kCannotRun;
}

ChildProcess::ChildProcess(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

namespace {

// The handles a child inherits: its standard handles and nothing else, so that a tool that
// lingers holds neither the day's log or record open nor a pipe of another run.
std::vector<HANDLE> InheritedHandles(HANDLE output, HANDLE standardInput) {
    std::vector<HANDLE> inherited{output};
    DWORD inputFlags = 0;
    if (standardInput != nullptr && standardInput != INVALID_HANDLE_VALUE &&
        GetHandleInformation(standardInput, &inputFlags) &&
        (inputFlags & HANDLE_FLAG_INHERIT) != 0) {
        inherited.push_back(standardInput);
    }
    return inherited;
}

// What CreateSuspended is given: the interpreter and its command line, its environment block
// ("" for the station's own) and its working folder ("" for the station's).
struct Creation {
    std::wstring interpreter;
    std::wstring command;
    std::wstring environment;
    std::wstring folder;
};

// Creates the interpreter suspended, its standard output and error the write end of a new pipe
// whose read end goes to impl, under the start lock, so that no other run's child inherits this
// pipe. False, with the failed call reported, when it could not be created.
bool CreateSuspended(ChildProcess::Impl& impl, Creation& creation, PROCESS_INFORMATION& created,
                     StartFailure* failure) {
    std::lock_guard<std::mutex> lock(StartLock());
    win32::Handle input;
    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    if (!CreatePipe(impl.output.Receive(), input.Receive(), &inheritable, 0) ||
        !SetHandleInformation(impl.output.Get(), HANDLE_FLAG_INHERIT, 0)) {
        StartFailed(failure, "CreatePipe");
        return false;
    }
    impl.job = KillOnCloseJob();
    const HANDLE standardInput = GetStdHandle(STD_INPUT_HANDLE);
    const HandleListAttribute handleList(InheritedHandles(input.Get(), standardInput));
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    startup.StartupInfo.hStdInput = standardInput;
    startup.StartupInfo.hStdOutput = input.Get();
    startup.StartupInfo.hStdError = input.Get();
    startup.lpAttributeList = handleList.Get();
    const DWORD flags = CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT |
                        (handleList.Get() ? EXTENDED_STARTUPINFO_PRESENT : 0);
    const BOOL started =
        CreateProcessW(creation.interpreter.empty() ? nullptr : creation.interpreter.c_str(),
                       creation.command.data(), nullptr, nullptr, TRUE, flags,
                       creation.environment.empty() ? nullptr : creation.environment.data(),
                       creation.folder.empty() ? nullptr : creation.folder.c_str(),
                       &startup.StartupInfo, &created);
    // Our copy of the write end closes here on both paths, so the pipe reports its end once the
    // tree has closed its copies.
    if (!started) {
        StartFailed(failure, "CreateProcessW");
    }
    return started != FALSE;
}

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::string& commandLine,
                                                  const std::string& workingFolder,
                                                  const std::vector<EnvironmentVariable>& variables,
                                                  StartFailure* failure) {
    auto impl = std::make_unique<Impl>();
    Creation creation{InterpreterPath(),
                      // The extra pair of quotes is the one cmd strips, so quotes inside the
                      // line stay intact.
                      Widen("cmd.exe /C \"" + commandLine + "\""),
                      // Without variables of its own the command inherits the station's
                      // environment as it is.
                      variables.empty() ? std::wstring() : EnvironmentBlockWith(variables),
                      Widen(workingFolder)};
    PROCESS_INFORMATION created{};
    if (!CreateSuspended(*impl, creation, created, failure)) {
        return nullptr;
    }
    win32::Handle thread(created.hThread);
    impl->process.Reset(created.hProcess);
    // Assigned while still suspended, so everything the interpreter starts is in the job too.
    if (impl->job.IsValid() && !AssignProcessToJobObject(impl->job.Get(), created.hProcess)) {
        impl->job.Reset();  // e.g. an old system that does not nest jobs: end the interpreter only
    }
    if (ResumeThread(thread.Get()) == static_cast<DWORD>(-1)) {
        StartFailed(failure, "ResumeThread");  // before the calls below change the last error
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
