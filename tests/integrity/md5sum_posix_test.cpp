// Digests checked against the system's md5sum, an implementation of its own.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "integrity/checksum.h"
#include "integrity/md5.h"
#include "platform/paths.h"
#include "temp_folder.h"

namespace {

using test_support::TempFolder;

struct PipeCloser {
    void operator()(std::FILE* pipe) const { pclose(pipe); }
};

// md5sum's digest of the file, upper-cased; "" when md5sum cannot be run.
std::string Md5sum(const std::string& path) {
    std::unique_ptr<std::FILE, PipeCloser> pipe(
        popen(("md5sum " + os::QuoteArgument(path)).c_str(), "r"));
    if (!pipe) {
        return {};
    }
    char output[64] = {};
    if (std::fgets(output, sizeof output, pipe.get()) == nullptr) {
        return {};
    }
    std::string digest(output, 32);
    for (char& c : digest) {
        c = static_cast<char>(c >= 'a' && c <= 'f' ? c - 'a' + 'A' : c);
    }
    return digest;
}

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& b : bytes) {
        b = static_cast<char>(random() & 0xff);
    }
    return bytes;
}

TEST(Md5sum, DigestsAgreeForFilesOfEveryBoundaryLength) {
    TempFolder folder;
    for (std::size_t size : {0, 1, 55, 56, 63, 64, 65, 1000, 3 * 1024 * 1024 + 17}) {
        const std::string bytes = RandomBytes(size, static_cast<unsigned>(size));
        folder.Write("image.hex", bytes);
        const std::string expected = Md5sum(folder / "image.hex");
        ASSERT_EQ(expected.size(), 32u) << "md5sum did not run";
        EXPECT_EQ(integrity::Md5Hex(bytes), expected) << size << " bytes";
    }
}

TEST(Md5sum, FileChecksumIsMd5sumOfTheSaltedMd5sum) {
    TempFolder folder;
    folder.Write("image.hex", RandomBytes(7 * 1024 * 1024 + 5, 42));
    const std::string d1 = Md5sum(folder / "image.hex");
    ASSERT_EQ(d1.size(), 32u) << "md5sum did not run";
    folder.Write("salted", "jq" + d1 + "qevo");
    EXPECT_EQ(integrity::FileChecksum(folder / "image.hex"), Md5sum(folder / "salted"));
}

}  // namespace
