// The OS layer's one include of <windows.h>, private to the layer (and its tests), plus what
// every Win32 call of the layer needs: UTF-8 <-> UTF-16 (utf16.h) and a handle that closes
// itself.
#pragma once

#include "platform/windows_headers.h"

#include <string>
#include <string_view>

#include "platform/utf16.h"

namespace os::win32 {

// A path as the file calls (CreateFileW, GetFileAttributesW, MoveFileExW, DeleteFileW) take it:
// as it is when shorter than MAX_PATH; otherwise made full and given the "\\?\" prefix, which
// lifts their MAX_PATH limit on every Windows version. The prefix also turns the system's
// clean-up of the path off, so the path is cleaned up first (GetFullPathNameW: "/" and doubled
// separators become one "\", "." and ".." are resolved).
std::wstring FileCallPath(std::string_view utf8);
// MultiByteToWideChar over all of bytes in codePage; false when flags asked for strictness
// (MB_ERR_INVALID_CHARS) and some byte does not decode.
bool ToWide(UINT codePage, DWORD flags, std::string_view bytes, std::wstring& wide);
// WideCharToMultiByte of all of wide into codePage.
std::string FromWide(UINT codePage, std::wstring_view wide);

// Owns one kernel handle. Both null and INVALID_HANDLE_VALUE mean "none", since Win32 calls
// report failure with one or the other.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(Handle&& other) noexcept : handle_(other.Release()) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { Reset(); }

    HANDLE Get() const { return handle_; }
    bool IsValid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    // For out-parameters: closes what is held and hands out the slot.
    HANDLE* Receive() {
        Reset();
        return &handle_;
    }
    HANDLE Release() {
        HANDLE handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    void Reset(HANDLE handle = nullptr) noexcept {
        if (IsValid()) {
            ::CloseHandle(handle_);
        }
        handle_ = handle;
    }

private:
    HANDLE handle_ = nullptr;
};

}  // namespace os::win32
