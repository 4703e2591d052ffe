// MD5 message digest (RFC 1321).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace integrity {

class Md5 {
public:
    using Digest = std::array<std::uint8_t, 16>;

    Md5();
    void Update(const void* data, std::size_t size);
    void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
    // Finishes the digest; the object must not be updated afterwards.
    Digest Final();

private:
    // Hashes count consecutive 64-byte blocks into state_.
    void Transform(const std::uint8_t* block, std::size_t count);

    std::array<std::uint32_t, 4> state_;
    std::uint64_t length_ = 0;  // bytes hashed so far
    std::array<std::uint8_t, 64> buffer_{};
};

// The digest as 32 upper-case hexadecimal digits, each byte high nibble first.
std::string ToUpperHex(const Md5::Digest& digest);
// MD5 of bytes as 32 upper-case hexadecimal digits.
std::string Md5Hex(std::string_view bytes);

}  // namespace integrity
