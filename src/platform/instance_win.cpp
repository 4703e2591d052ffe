// The single-instance claim on Windows: a named mutex.
#include "platform/instance.h"
#include "platform/internal/win32.h"

namespace os {

std::string InstanceClaimName(const std::string& title) {
    return title;
}

InstanceLock::InstanceLock(const std::string& title) {
    const std::wstring wideName = win32::Widen(InstanceClaimName(title));
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
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
    }
}

}  // namespace os
