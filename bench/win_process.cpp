#include "win_process.h"

#include <iterator>
#include <stdexcept>

#include "bench_platform.h"

namespace bench {

using os::win32::Handle;
using os::win32::Widen;

namespace {

SECURITY_ATTRIBUTES Inheritable() {
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof attributes;
    attributes.bInheritHandle = TRUE;
    return attributes;
}

// NUL, open for writing and inheritable, for a child's standard output and error.
Handle NullDevice() {
    SECURITY_ATTRIBUTES inheritable = Inheritable();
    return Handle(CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              &inheritable, OPEN_EXISTING, 0, nullptr));
}

// Starts commandLine in folder (the current one when empty) with output (inherited) as its
// standard output and error; returns the process handle.
Handle Start(const std::string& commandLine, HANDLE output, const std::string& folder,
             Console console) {
    std::wstring command = Widen(commandLine);
    const std::wstring folderWide = Widen(folder);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = output;
    const DWORD flags = console == Console::kNoWindow ? CREATE_NO_WINDOW : 0;
    PROCESS_INFORMATION created{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, flags, nullptr,
                        folder.empty() ? nullptr : folderWide.c_str(), &startup, &created)) {
        throw std::runtime_error("cannot start " + commandLine);
    }
    CloseHandle(created.hThread);
    return Handle(created.hProcess);
}

int WaitForExitCode(const Handle& process) {
    WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.Get(), &code);
    return static_cast<int>(code);
}

}  // namespace

std::string ShellCommandLine(const std::string& commandLine) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, static_cast<UINT>(std::size(folder)));
    return "\"" + os::win32::Narrow(std::wstring_view(folder, length)) + "\\cmd.exe\" /C \"" +
           commandLine + "\"";
}

int RunAndWait(const std::string& commandLine, Console console) {
    const Handle output = NullDevice();
    return WaitForExitCode(Start(commandLine, output.Get(), {}, console));
}

std::string RunAndRead(const std::string& commandLine, Console console) {
    Handle readEnd;
    Handle writeEnd;
    SECURITY_ATTRIBUTES inheritable = Inheritable();
    if (!CreatePipe(readEnd.Receive(), writeEnd.Receive(), &inheritable, 0) ||
        !SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0)) {
        throw std::runtime_error("cannot make a pipe");
    }
    const Handle process = Start(commandLine, writeEnd.Get(), {}, console);
    writeEnd.Reset();  // the pipe ends once the program and what it started have closed it
    std::string output;
    char buffer[64 * 1024];
    DWORD count = 0;
    while (ReadFile(readEnd.Get(), buffer, sizeof buffer, &count, nullptr) && count > 0) {
        output.append(buffer, count);
    }
    WaitForExitCode(process);
    return output;
}

RunningProgram::RunningProgram(const std::string& commandLine, const std::string& folder)
    : process_(Start(commandLine, NullDevice().Get(), folder, Console::kOwn)) {}

RunningProgram::~RunningProgram() {
    TerminateProcess(process_.Get(), 1);
    WaitForSingleObject(process_.Get(), INFINITE);
}

int RunScript(const std::string& path) {
    return RunAndWait(ShellCommandLine("\"" + path + "\""), Console::kOwn);
}

void RunAsWindowProgram() {
    FreeConsole();  // standard output, a pipe to scripts/bench, stays open
}

}  // namespace bench
