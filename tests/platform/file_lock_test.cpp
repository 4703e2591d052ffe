// The lock processes take on a file: one holder at a time, a bounded wait for the others, and
// the lock free again once its holder lets go.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

#include "platform/file_lock.h"
#include "platform/files.h"
#include "temp_folder.h"

namespace {

using namespace std::chrono_literals;

TEST(FileLock, OneHolderAtATimeAndOthersWaitOnlyTheirLimit) {
    test_support::TempFolder folder;
    const std::string path = folder / "folder.lock";
    std::optional<os::FileLock> held = os::FileLock::Take(path, 0ms);
    ASSERT_TRUE(held);
    EXPECT_FALSE(os::FileLock::Take(path, 0ms));
    EXPECT_FALSE(os::FileLock::Take(path, 30ms));

    // A taker waiting with a generous limit gets the lock once the holder lets go.
    std::optional<os::FileLock> waited;
    std::thread waiter([&] { waited = os::FileLock::Take(path, 60s); });
    held.reset();
    waiter.join();
    EXPECT_TRUE(waited);
    waited.reset();
    EXPECT_TRUE(os::FileLock::Take(path, 0ms));
    EXPECT_TRUE(os::FileExists(path)) << "the lock file stays";
}

TEST(FileLock, AFileThatCannotBeCreatedIsAnError) {
    test_support::TempFolder folder;
    EXPECT_THROW(os::FileLock::Take(folder / "missing/folder.lock", 0ms), os::FileError);
}

}  // namespace
