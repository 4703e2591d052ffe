// Paths on Linux, and quoting an argument for /bin/sh.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;
using test_support::TempFolder;

// Everything the command prints, read to the end of the pipe.
std::string RunToEnd(const std::string& command, const std::string& folder) {
    auto child = os::ChildProcess::Start(command, folder);
    if (!child) {
        return "<not started>";
    }
    std::string output;
    char buffer[4096];
    for (int idle = 0; idle < 6;) {
        const long count = child->Read(buffer, sizeof buffer, 5000);
        if (count == os::ChildProcess::kEnded) {
            break;
        }
        idle = count == 0 ? idle + 1 : 0;
        output.append(buffer, static_cast<std::size_t>(count));
    }
    child->WaitForEnd(10000);
    return output;
}

TEST(PosixPaths, RelativePathsAreMadeAbsolute) {
    const std::string current = fs::current_path().string();
    EXPECT_EQ(os::AbsolutePath("merge.hex"), current + "/merge.hex");
    EXPECT_EQ(os::AbsolutePath("./logs/a.log"), current + "/logs/a.log");
    EXPECT_EQ(os::AbsolutePath("/station/merge.hex"), "/station/merge.hex");
}

TEST(PosixPaths, ExecutablePathIsThisProgram) {
    const std::string path = os::ExecutablePath();
    EXPECT_EQ(os::NamePart(path), "platform_tests");
    EXPECT_TRUE(os::FileExists(path));
}

TEST(QuoteArgument, ShellPassesEveryCharacterAsPartOfOneArgument) {
    TempFolder folder;
    const std::vector<std::string> arguments = {
        "two words",
        "",
        "a&touch injected",
        "a;touch injected",
        "a|touch injected",
        "a>injected",
        "$(touch injected)",
        "`touch injected`",
        "it's",
        "''",
        "'\\''",
        "say \"hi\"",
        "back\\slash\\",
        "line\nbreak\n",
        "$HOME ${PATH}",
        "* ~ ? [a]",
        "^(x) <y",
        "tab\there",
        "中文 路径",
    };
    for (const std::string& argument : arguments) {
        const std::string quoted = os::QuoteArgument(argument);
        EXPECT_EQ(RunToEnd("printf '%s' " + quoted, folder.Path()), argument);
        EXPECT_EQ(RunToEnd("set -- " + quoted + "; printf %s $#", folder.Path()), "1") << argument;
    }
    EXPECT_FALSE(folder.Exists("injected"));
}

}  // namespace
