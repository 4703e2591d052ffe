#include "md5.h"

#include <algorithm>
#include <cstring>

namespace integrity {

namespace {

// Per-round shift amounts and the sine-derived constants of RFC 1321, section 3.4.
constexpr std::uint32_t kShift[64] = {
    7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,  //
    5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,  //
    4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,  //
    6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21,
};

constexpr std::uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

constexpr std::uint32_t RotateLeft(std::uint32_t x, std::uint32_t n) {
    return (x << n) | (x >> (32 - n));
}

// MD5 is little-endian throughout; assembling bytes keeps it independent of the host's order.
std::uint32_t LoadLittleEndian(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void StoreLittleEndian(std::uint32_t value, std::uint8_t* p) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

}  // namespace

Md5::Md5() : state_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476} {}

void Md5::Update(const void* data, std::size_t size) {
    if (size == 0) {
        return;  // data may be null then
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::size_t used = static_cast<std::size_t>(length_ % 64);
    length_ += size;

    if (used != 0) {
        std::size_t take = std::min(size, 64 - used);
        std::memcpy(buffer_.data() + used, bytes, take);
        bytes += take;
        size -= take;
        if (used + take < 64) {
            return;
        }
        Transform(buffer_.data());
    }
    // Whole blocks straight from the caller's memory, without copying them.
    for (; size >= 64; bytes += 64, size -= 64) {
        Transform(bytes);
    }
    if (size != 0) {
        std::memcpy(buffer_.data(), bytes, size);
    }
}

Md5::Digest Md5::Final() {
    const std::uint64_t bitLength = length_ * 8;
    // Pad with 0x80 and zeros up to 56 bytes modulo 64, then the length in bits.
    std::uint8_t padding[72] = {0x80};
    std::size_t used = static_cast<std::size_t>(length_ % 64);
    std::size_t padLength = used < 56 ? 56 - used : 120 - used;
    for (int i = 0; i < 8; ++i) {
        padding[padLength + i] = static_cast<std::uint8_t>(bitLength >> (8 * i));
    }
    Update(padding, padLength + 8);

    Digest digest;
    for (std::size_t i = 0; i < 4; ++i) {
        StoreLittleEndian(state_[i], digest.data() + 4 * i);
    }
    return digest;
}

void Md5::Transform(const std::uint8_t* block) {
    std::uint32_t m[16];
    for (int i = 0; i < 16; ++i) {
        m[i] = LoadLittleEndian(block + 4 * i);
    }

    std::uint32_t a = state_[0];
    std::uint32_t b = state_[1];
    std::uint32_t c = state_[2];
    std::uint32_t d = state_[3];
    for (int i = 0; i < 64; ++i) {
        std::uint32_t f;
        int g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        std::uint32_t rotated = RotateLeft(a + f + kSine[i] + m[g], kShift[i]);
        a = d;
        d = c;
        c = b;
        b += rotated;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
}

std::string ToUpperHex(const Md5::Digest& digest) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(2 * digest.size());
    for (std::uint8_t byte : digest) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0f];
    }
    return hex;
}

std::string Md5Hex(std::string_view bytes) {
    Md5 md5;
    md5.Update(bytes);
    return ToUpperHex(md5.Final());
}

}  // namespace integrity
