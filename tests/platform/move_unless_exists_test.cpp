// Taking a file name only while it is free: how the day's production record gets its header once.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/files.h"
#include "temp_folder.h"

namespace {

TEST(MoveUnlessExists, TakesTheNameOnlyWhileItIsFree) {
    test_support::TempFolder folder;
    folder.Write("first.new", "first");
    folder.Write("second.new", "second");

    EXPECT_TRUE(os::MoveUnlessExists(folder / "first.new", folder / "day.csv"));
    EXPECT_FALSE(folder.Exists("first.new"));
    EXPECT_FALSE(os::MoveUnlessExists(folder / "second.new", folder / "day.csv"));
    EXPECT_EQ(folder.Read("second.new"), "second");
    EXPECT_EQ(folder.Read("day.csv"), "first");

    try {
        os::MoveUnlessExists(folder / "gone.new", folder / "other.csv");
        ADD_FAILURE() << "a missing file was moved";
    } catch (const os::FileError& error) {
        EXPECT_THAT(error.what(),
                    ::testing::StartsWith("Cannot create file \"" + folder / "other.csv" + "\". "));
    }
}

}  // namespace
