#include <string>

#include <gtest/gtest.h>

#include "platform/paths.h"

namespace {

// The path with '/' written as the platform's separator.
std::string Native(std::string path) {
    for (char& c : path) {
        if (c == '/') {
            c = os::kPathSeparator;
        }
    }
    return path;
}

TEST(PathParts, SplitAtTheLastFolderBreak) {
    const std::string path = Native("/station.v2/bin/nrfjprog");
    EXPECT_EQ(os::FolderPart(path), Native("/station.v2/bin/"));
    EXPECT_EQ(os::NamePart(path), "nrfjprog");
}

TEST(PathParts, PathWithoutFolderIsAllName) {
    EXPECT_EQ(os::FolderPart("merge.hex"), "");
    EXPECT_EQ(os::NamePart("merge.hex"), "merge.hex");
    EXPECT_EQ(os::FolderPart(""), "");
    EXPECT_EQ(os::NamePart(""), "");
}

TEST(PathParts, FolderEndingInItsBreakHasNoName) {
    EXPECT_EQ(os::FolderPart(Native("/station/")), Native("/station/"));
    EXPECT_EQ(os::NamePart(Native("/station/")), "");
    EXPECT_EQ(os::FolderPart(Native("/")), Native("/"));
}

TEST(PathParts, PartsJoinToThePath) {
    for (const std::string& path : {Native("/a/b c/merge.hex"), Native("rel/x"), Native("x/")}) {
        EXPECT_EQ(os::FolderPart(path) + os::NamePart(path), path);
    }
}

}  // namespace
