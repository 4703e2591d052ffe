// The operator's texts the station adds to a tool run, and what the serial label shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "station/form/serial_label.h"
#include "station/run/operator_texts.h"
#include "tool/programmer.h"

using namespace station;

namespace {

// The line a run's limit adds fails whatever the tool printed before it, and names the limit.
TEST(TimeoutLine, FailsEveryStepAndNamesTheLimit) {
    for (const long long seconds : {1LL, 30LL, 300LL}) {
        const std::string line = TimeoutLine(seconds);
        EXPECT_FALSE(tool::ProgrammingSucceeded("Verify OK\n" + line)) << line;
        EXPECT_FALSE(tool::StepSucceeded("0x00000000: FFFFFFFF\n" + line, 0)) << line;
        EXPECT_NE(line.find("在" + std::to_string(seconds) + "秒内"), std::string::npos) << line;
    }
}

TEST(OutputCutNote, NamesTheKeptSizeInItsLargestWholeUnit) {
    EXPECT_EQ(OutputCutNote(16u << 20), "（输出过长，前面的部分已省略，只保留了最后16 MiB。）");
    EXPECT_EQ(OutputCutNote(3u << 10), "（输出过长，前面的部分已省略，只保留了最后3 KiB。）");
    EXPECT_EQ(OutputCutNote(1000), "（输出过长，前面的部分已省略，只保留了最后1000 B。）");
}

TEST(SerialLabelText, ShowsTheFirstLinesUpTo4KiB) {
    std::string manyLines;
    for (int n = 1; n <= 20; ++n) {
        manyLines += std::to_string(n) + "\r\n";
    }
    const std::string wide(3000, 'w');
    const std::string chinese = std::string(4095, 'x') + "中";  // 中 spans bytes 4095-4097
    struct Case {
        std::string output;
        std::string label;
    };
    const std::vector<Case> cases = {
        {"", ""},
        {"682123456\n", "682123456\n"},
        {"682123456\n683000001", "682123456\n683000001"},
        {manyLines, "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n…"},
        {wide + "\n" + wide + "\n", wide + "\n" + wide.substr(0, 4096 - 3001) + "…"},
        {chinese, std::string(4095, 'x') + "…"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SerialLabelText(c.output), c.label) << c.output.substr(0, 40);
    }
}

}  // namespace
