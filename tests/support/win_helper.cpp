// A small program that the Windows tests run through cmd.exe, so that they see exactly what a
// program started by the station receives and what its output does on the way back.
//
//   win_helper A B ...         prints each argument as "[A]" on a line of its own, unless A is
//                              one of the words below
//   win_helper bytes HEX       writes the bytes HEX stands for to standard output, in one write
//   win_helper interleave      writes two lines each to standard output and standard error, in turn
//   win_helper lines N         writes N numbered lines to standard output, in one write
//   win_helper tree            starts "win_helper hang" with our standard handles, prints
//                              "child <process id>", then never ends
//   win_helper leave           the same, but ends at once, leaving the child holding the pipe
//   win_helper hang            never ends
//   win_helper instance NAME   prints "already running" or "only copy" for os::InstanceLock(NAME)
//   win_helper hold PATH       holds the file as a spreadsheet that has it open does (reading,
//                              others may only read), prints "held", then never ends
//   win_helper idle EXE SECS   waits up to SECS seconds until the station windows of the program
//                              EXE (romtool.exe) are idle (see station_idle_win.h); prints
//                              "idle", or what it saw last and ends with 1
//   win_helper client EXE      prints "X Y", where the client area of EXE's station window starts
//                              inside the window (see station_idle_win.h), or ends with 1
#include <cstdio>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/instance.h"
#include "platform/internal/win32.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "station_idle_win.h"

namespace {

void WriteTo(DWORD stdHandle, const std::string& bytes) {
    DWORD written = 0;
    WriteFile(GetStdHandle(stdHandle), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
              nullptr);
}

void Print(const std::string& utf8Line) {
    WriteTo(STD_OUTPUT_HANDLE, os::ToAnsi(utf8Line).bytes() + "\r\n");
}

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

// Starts "win_helper hang" with our standard handles and prints its process id; then never
// ends, or ends at once when leave is set.
int StartHangingChild(bool leave) {
    std::wstring command = L"\"" + os::win32::Widen(os::ExecutablePath()) + L"\" hang";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &child)) {
        Print("cannot start child");
        return 1;
    }
    os::win32::Handle process(child.hProcess);
    os::win32::Handle thread(child.hThread);
    Print("child " + std::to_string(child.dwProcessId));
    if (!leave) {
        Sleep(INFINITE);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(os::win32::Narrow(argv[i]));
    }
    const std::string mode = args.empty() ? "" : args[0];
    if (mode == "bytes" && args.size() == 2) {
        WriteTo(STD_OUTPUT_HANDLE, FromHex(args[1]));
    } else if (mode == "interleave") {
        WriteTo(STD_OUTPUT_HANDLE, "out 1\r\n");
        WriteTo(STD_ERROR_HANDLE, "err 1\r\n");
        WriteTo(STD_OUTPUT_HANDLE, "out 2\r\n");
        WriteTo(STD_ERROR_HANDLE, "err 2\r\n");
    } else if (mode == "lines" && args.size() == 2) {
        std::string text;
        const int count = std::stoi(args[1]);
        for (int i = 0; i < count; ++i) {
            char line[32];
            std::snprintf(line, sizeof line, "line %06d\r\n", i);
            text += line;
        }
        WriteTo(STD_OUTPUT_HANDLE, text);
    } else if (mode == "tree" || mode == "leave") {
        return StartHangingChild(mode == "leave");
    } else if (mode == "hang") {
        Sleep(INFINITE);
    } else if (mode == "hold" && args.size() == 2) {
        const os::File held = os::OpenForReading(args[1], os::Share::kRead);
        Print("held");
        Sleep(INFINITE);
    } else if (mode == "idle" && args.size() == 3) {
        const std::string state = station_idle::WaitUntilIdle(args[1], std::stoi(args[2]));
        Print(state.empty() ? "idle" : state);
        return state.empty() ? 0 : 1;
    } else if (mode == "client" && args.size() == 2) {
        const std::string offset = station_idle::ClientOffset(args[1]);
        Print(offset);
        return offset.empty() ? 1 : 0;
    } else if (mode == "instance" && args.size() == 2) {
        os::InstanceLock lock(args[1]);
        Print(lock.AlreadyRunning() ? "already running" : "only copy");
    } else {
        for (const std::string& arg : args) {
            Print("[" + arg + "]");
        }
    }
    return 0;
}
