// The station killed while it writes the checksum file: whenever the kill lands, the file is
// absent or whole, never half-written, and the next write leaves no temporary file behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "checksum_of.h"
#include "integrity/checksum.h"
#include "temp_folder.h"

namespace {

TEST(ChecksumFaults, KilledWhileWritingNeverLeavesAHalfWrittenFile) {
    const std::string checksum = test_support::ChecksumOf("image");
    for (int round = 0; round < 20; ++round) {
        test_support::TempFolder folder;
        int started[2];
        ASSERT_EQ(::pipe(started), 0);
        const pid_t writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            ::close(started[0]);
            for (int n = 0;; ++n) {
                integrity::WriteChecksumFile(folder / "merge.crc", checksum);
                if (n == round) {
                    const char byte = 1;
                    (void)!::write(started[1], &byte, 1);  // killed somewhere after this
                }
            }
        }
        ::close(started[1]);
        char byte = 0;
        ASSERT_EQ(::read(started[0], &byte, 1), 1);
        ::close(started[0]);
        ::kill(writer, SIGKILL);
        ASSERT_EQ(::waitpid(writer, nullptr, 0), writer);

        EXPECT_EQ(folder.Read("merge.crc"), checksum) << "round " << round;
        integrity::WriteChecksumFile(folder / "merge.crc", checksum);
        EXPECT_FALSE(folder.Exists("merge.crc.tmp"));
    }
}

}  // namespace
