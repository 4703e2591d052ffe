#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "integrity/md5.h"

namespace {

// Bytes whose digests were computed with another MD5 implementation.
std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 31 + 7) & 0xff);
    }
    return bytes;
}

TEST(Md5, Rfc1321TestSuite) {
    EXPECT_EQ(integrity::Md5Hex(""), "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(integrity::Md5Hex("a"), "0CC175B9C0F1B6A831C399E269772661");
    EXPECT_EQ(integrity::Md5Hex("abc"), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(integrity::Md5Hex("message digest"), "F96B697D7CB7938D525A2F31AAF161D0");
    EXPECT_EQ(integrity::Md5Hex("abcdefghijklmnopqrstuvwxyz"), "C3FCD3D76192E4007DFB496CCA67E13B");
    EXPECT_EQ(integrity::Md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "D174AB98D277D9F5A5611C2C9F419D9F");
    EXPECT_EQ(integrity::Md5Hex("1234567890123456789012345678901234567890123456789012345678901234"
                                "5678901234567890"),
              "57EDF4A22BE3C955AC49DA2E2107B67A");
}

TEST(Md5, LengthsAroundThePaddingBoundary) {
    const struct {
        std::size_t size;
        const char* digest;
    } cases[] = {
        {1, "89E74E640B8C46257A29DE0616794D5D"},   {55, "C9E512626618C9980EF21A96597AF94C"},
        {56, "ECDE7CAA08E9F5657C863DF107CAC60A"},  {63, "2F0301069E1C40AF7F6C8F843B1B13F2"},
        {64, "B6BF87C24B1BC334E2541387A92B981B"},  {65, "F168246F08B6134D66BD2A10343FA9F1"},
        {127, "27670172396247FA5F68637F13F8933D"}, {128, "3E85B70FFC8DF5C735ECF2A8F14F1BEE"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(integrity::Md5Hex(Pattern(c.size)), c.digest) << c.size << " bytes";
    }
}

TEST(Md5, PiecesGiveTheSameDigestAsOneUpdate) {
    const std::string bytes = Pattern(1000);
    const std::string whole = integrity::Md5Hex(bytes);
    for (std::size_t piece : {1, 3, 55, 63, 64, 65, 200}) {
        integrity::Md5 md5;
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            md5.Update(std::string_view(bytes).substr(at, piece));
        }
        md5.Update(nullptr, 0);
        EXPECT_EQ(integrity::ToUpperHex(md5.Final()), whole) << "pieces of " << piece;
    }
}

TEST(Md5, HexIsUpperCaseHighNibbleFirst) {
    integrity::Md5::Digest digest{};
    digest[0] = 0x0f;
    digest[1] = 0xa5;
    digest[15] = 0xe0;
    EXPECT_EQ(integrity::ToUpperHex(digest), "0FA5" + std::string(26, '0') + "E0");
}

}  // namespace
