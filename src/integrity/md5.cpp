#include "integrity/md5.h"

#include <algorithm>
#include <cstring>

namespace integrity {

namespace {

// The four auxiliary functions of RFC 1321, section 3.4, in forms with one operation fewer:
// F = (x & y) | (~x & z); G = (x & z) | (y & ~z), whose two halves share no bit, so they may be
// added instead, and the half that needs no x added before x is known.
constexpr std::uint32_t F(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return z ^ (x & (y ^ z));
}
constexpr std::uint32_t G(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return (y & ~z) + (x & z);
}
constexpr std::uint32_t H(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return x ^ y ^ z;
}
constexpr std::uint32_t I(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return y ^ (x | ~z);
}

using RoundFunction = std::uint32_t (*)(std::uint32_t, std::uint32_t, std::uint32_t);

// One of the 64 steps: a = b + ((a + round(b, c, d) + word + sine) <<< shift). The function
// and the shift are template arguments so that every step compiles to straight-line code.
template <RoundFunction Round, int Shift>
inline void Step(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d,
                 std::uint32_t word, std::uint32_t sine) {
    const std::uint32_t sum = a + Round(b, c, d) + word + sine;
    a = b + ((sum << Shift) | (sum >> (32 - Shift)));
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
        Transform(buffer_.data(), 1);
    }
    // Whole blocks straight from the caller's memory, without copying them.
    const std::size_t blocks = size / 64;
    Transform(bytes, blocks);
    bytes += 64 * blocks;
    size -= 64 * blocks;
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

void Md5::Transform(const std::uint8_t* block, std::size_t count) {
    std::uint32_t a = state_[0];
    std::uint32_t b = state_[1];
    std::uint32_t c = state_[2];
    std::uint32_t d = state_[3];
    for (; count > 0; --count, block += 64) {
        std::uint32_t m[16];
        for (int i = 0; i < 16; ++i) {
            m[i] = LoadLittleEndian(block + 4 * i);
        }
        const std::uint32_t aa = a;
        const std::uint32_t bb = b;
        const std::uint32_t cc = c;
        const std::uint32_t dd = d;

        // The steps of RFC 1321, section 3.4: word index, shift and sine-derived constant.
        Step<F, 7>(a, b, c, d, m[0], 0xd76aa478);
        Step<F, 12>(d, a, b, c, m[1], 0xe8c7b756);
        Step<F, 17>(c, d, a, b, m[2], 0x242070db);
        Step<F, 22>(b, c, d, a, m[3], 0xc1bdceee);
        Step<F, 7>(a, b, c, d, m[4], 0xf57c0faf);
        Step<F, 12>(d, a, b, c, m[5], 0x4787c62a);
        Step<F, 17>(c, d, a, b, m[6], 0xa8304613);
        Step<F, 22>(b, c, d, a, m[7], 0xfd469501);
        Step<F, 7>(a, b, c, d, m[8], 0x698098d8);
        Step<F, 12>(d, a, b, c, m[9], 0x8b44f7af);
        Step<F, 17>(c, d, a, b, m[10], 0xffff5bb1);
        Step<F, 22>(b, c, d, a, m[11], 0x895cd7be);
        Step<F, 7>(a, b, c, d, m[12], 0x6b901122);
        Step<F, 12>(d, a, b, c, m[13], 0xfd987193);
        Step<F, 17>(c, d, a, b, m[14], 0xa679438e);
        Step<F, 22>(b, c, d, a, m[15], 0x49b40821);

        Step<G, 5>(a, b, c, d, m[1], 0xf61e2562);
        Step<G, 9>(d, a, b, c, m[6], 0xc040b340);
        Step<G, 14>(c, d, a, b, m[11], 0x265e5a51);
        Step<G, 20>(b, c, d, a, m[0], 0xe9b6c7aa);
        Step<G, 5>(a, b, c, d, m[5], 0xd62f105d);
        Step<G, 9>(d, a, b, c, m[10], 0x02441453);
        Step<G, 14>(c, d, a, b, m[15], 0xd8a1e681);
        Step<G, 20>(b, c, d, a, m[4], 0xe7d3fbc8);
        Step<G, 5>(a, b, c, d, m[9], 0x21e1cde6);
        Step<G, 9>(d, a, b, c, m[14], 0xc33707d6);
        Step<G, 14>(c, d, a, b, m[3], 0xf4d50d87);
        Step<G, 20>(b, c, d, a, m[8], 0x455a14ed);
        Step<G, 5>(a, b, c, d, m[13], 0xa9e3e905);
        Step<G, 9>(d, a, b, c, m[2], 0xfcefa3f8);
        Step<G, 14>(c, d, a, b, m[7], 0x676f02d9);
        Step<G, 20>(b, c, d, a, m[12], 0x8d2a4c8a);

        Step<H, 4>(a, b, c, d, m[5], 0xfffa3942);
        Step<H, 11>(d, a, b, c, m[8], 0x8771f681);
        Step<H, 16>(c, d, a, b, m[11], 0x6d9d6122);
        Step<H, 23>(b, c, d, a, m[14], 0xfde5380c);
        Step<H, 4>(a, b, c, d, m[1], 0xa4beea44);
        Step<H, 11>(d, a, b, c, m[4], 0x4bdecfa9);
        Step<H, 16>(c, d, a, b, m[7], 0xf6bb4b60);
        Step<H, 23>(b, c, d, a, m[10], 0xbebfbc70);
        Step<H, 4>(a, b, c, d, m[13], 0x289b7ec6);
        Step<H, 11>(d, a, b, c, m[0], 0xeaa127fa);
        Step<H, 16>(c, d, a, b, m[3], 0xd4ef3085);
        Step<H, 23>(b, c, d, a, m[6], 0x04881d05);
        Step<H, 4>(a, b, c, d, m[9], 0xd9d4d039);
        Step<H, 11>(d, a, b, c, m[12], 0xe6db99e5);
        Step<H, 16>(c, d, a, b, m[15], 0x1fa27cf8);
        Step<H, 23>(b, c, d, a, m[2], 0xc4ac5665);

        Step<I, 6>(a, b, c, d, m[0], 0xf4292244);
        Step<I, 10>(d, a, b, c, m[7], 0x432aff97);
        Step<I, 15>(c, d, a, b, m[14], 0xab9423a7);
        Step<I, 21>(b, c, d, a, m[5], 0xfc93a039);
        Step<I, 6>(a, b, c, d, m[12], 0x655b59c3);
        Step<I, 10>(d, a, b, c, m[3], 0x8f0ccc92);
        Step<I, 15>(c, d, a, b, m[10], 0xffeff47d);
        Step<I, 21>(b, c, d, a, m[1], 0x85845dd1);
        Step<I, 6>(a, b, c, d, m[8], 0x6fa87e4f);
        Step<I, 10>(d, a, b, c, m[15], 0xfe2ce6e0);
        Step<I, 15>(c, d, a, b, m[6], 0xa3014314);
        Step<I, 21>(b, c, d, a, m[13], 0x4e0811a1);
        Step<I, 6>(a, b, c, d, m[4], 0xf7537e82);
        Step<I, 10>(d, a, b, c, m[11], 0xbd3af235);
        Step<I, 15>(c, d, a, b, m[2], 0x2ad7d2bb);
        Step<I, 21>(b, c, d, a, m[9], 0xeb86d391);

        a += aa;
        b += bb;
        c += cc;
        d += dd;
    }
    state_[0] = a;
    state_[1] = b;
    state_[2] = c;
    state_[3] = d;
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
