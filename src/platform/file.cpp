// The platform-independent part of File: ownership moves with the object; Close is per platform.
#include <utility>

#include "os.h"

namespace os {

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, kInvalid)), path_(std::move(other.path_)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, kInvalid);
        path_ = std::move(other.path_);
    }
    return *this;
}

File::~File() {
    Close();
}

}  // namespace os
