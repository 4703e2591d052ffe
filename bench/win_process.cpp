#include "win_process.h"

#include <iterator>
#include <stdexcept>

#include "script_run.h"

namespace bench {

using os::win32::Handle;
using os::win32::Widen;

namespace {

// NUL, open for writing and inheritable, for a child's standard output and error.
Handle NullDevice() {
    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    return Handle(CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              &inheritable, OPEN_EXISTING, 0, nullptr));
}

// Starts commandLine with output (inherited) as its standard output and error and the creation
// flags given; returns the process handle.
Handle Start(const std::string& commandLine, HANDLE output, const std::string& folder,
             DWORD flags = 0) {
    std::wstring command = Widen(commandLine);
    const std::wstring folderWide = Widen(folder);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = output;
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

int RunAndWait(const std::string& commandLine, const std::string& folder) {
    const Handle output = NullDevice();
    return WaitForExitCode(Start(commandLine, output.Get(), folder));
}

std::string RunAndRead(const std::string& commandLine) {
    Handle readEnd;
    Handle writeEnd;
    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    if (!CreatePipe(readEnd.Receive(), writeEnd.Receive(), &inheritable, 0) ||
        !SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0)) {
        throw std::runtime_error("cannot make a pipe");
    }
    // As a window program runs a console program unseen.
    const Handle process = Start(commandLine, writeEnd.Get(), {}, CREATE_NO_WINDOW);
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
    : process_(Start(commandLine, NullDevice().Get(), folder)) {}

RunningProgram::~RunningProgram() {
    TerminateProcess(process_.Get(), 1);
    WaitForSingleObject(process_.Get(), INFINITE);
}

int RunScript(const std::string& path) {
    return RunAndWait(ShellCommandLine("\"" + path + "\""));
}

}  // namespace bench
