// Reading a batch-execute run: each operation's messages out of their batch_update wrappers,
// whatever else the stream holds, and the refusal of a file of another nrfutil version.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/paths.h"
#include "tool/memory_words.h"
#include "tool/nrfutil_batch.h"
#include "tool/nrfutil_output.h"

namespace {

std::string Wrapped(const std::string& message) {
    return R"({"type":"batch_update","data":{"batch":{"serialNumber":"682123456","x":1},"data":)" +
           message + "}}\n";
}

std::string Task(const char* type, const char* id, const std::string& rest = "") {
    return std::string(R"({"type":")") + type + R"(","data":{"task":{"id":")" + id +
           R"(","name":"n","description":"Op"})" + rest + "}}";
}

const std::string kSuccess = R"(,"message":"Done","result":"success","error":null)";
const std::string kRead =
    kSuccess + R"(,"data":{"name":"memory-read","memoryData":[{"startAddress":268439680,)"
               R"("values":[160,134,1,0]}]})";

struct BatchCase {
    const char* name;
    std::string output;
    std::vector<bool> passed;  // each operation's verdict as a step of its own
    int endCode;               // -2: none
};

TEST(NrfutilBatch, EachOperationIsReadAsAStepOfItsOwn) {
    const BatchCase cases[] = {
        {"two operations, unknown messages and text between them",
         Wrapped(Task("task_begin", "a")) + Wrapped(R"({"type":"log","data":{}})") + "some text\n" +
             Wrapped(Task("task_progress", "a")) + Wrapped(Task("task_end", "a", kSuccess)) +
             Wrapped(Task("task_begin", "b")) + Wrapped(Task("task_end", "b", kRead)) +
             R"({"type":"batch_end","data":{"error":{"code":0}}})",
         {true, true},
         0},
        {"an operation that never ended, then the next",
         Wrapped(Task("task_begin", "a")) + Wrapped(Task("task_begin", "b")) +
             Wrapped(Task("task_end", "b", kSuccess)) +
             R"({"type":"batch_end","data":{"error":{"code":1}}})",
         {false, true},
         1},
        {"a failed operation and no batch_end",
         Wrapped(Task("task_begin", "a")) +
             Wrapped(Task("task_end", "a",
                          R"(,"result":"fail","error":{"code":24,"description":"protected"})")),
         {false},
         -2},
    };
    for (const BatchCase& c : cases) {
        const tool::BatchOutput batch = tool::ReadBatchOutput(c.output);
        ASSERT_EQ(batch.operations.size(), c.passed.size()) << c.name;
        for (std::size_t i = 0; i < c.passed.size(); ++i) {
            EXPECT_EQ(tool::NrfutilStepPassed(batch.operations[i], 0), c.passed[i]) << c.name << i;
        }
        EXPECT_EQ(batch.endCode.value_or(-2), c.endCode) << c.name;
    }
    const tool::BatchOutput read = tool::ReadBatchOutput(cases[0].output);
    EXPECT_TRUE(tool::WordConfirmed(read.operations[1], 0x10001080, 100000));
    EXPECT_EQ(read.text, "some text\n");
}

TEST(NrfutilBatch, RefusedForVersionOnlyBeforeAnyOperation) {
    const std::string refusal = "Error: The batch file is of nrfutil-device version 2.21.0\n";
    EXPECT_TRUE(tool::BatchRefusedForVersion(refusal, 1));
    EXPECT_FALSE(tool::BatchRefusedForVersion(refusal, 0));
    EXPECT_FALSE(tool::BatchRefusedForVersion(Wrapped(Task("task_begin", "a")) + refusal, 1));
    EXPECT_FALSE(tool::BatchRefusedForVersion("Error: No devices found.\n", 1));
    // The word elsewhere than in the refusal: a log line, or a failure with a documented code.
    EXPECT_FALSE(
        tool::BatchRefusedForVersion("J-Link DLL version V7.94e\nError: No devices found.\n", 1));
    EXPECT_FALSE(tool::BatchRefusedForVersion(
        Task("task_end", "a",
             R"(,"result":"fail","error":{"code":24,"description":"Firmware version check: )"
             R"(access protection is enabled"})") +
            "\n",
        1));
    EXPECT_FALSE(tool::BatchRefusedForVersion(R"({"type":"batch_end","data":{"error":{"code":1}}})"
                                              "\n" +
                                                  refusal,
                                              1));
    EXPECT_TRUE(tool::BatchRefusedForVersion(
        Task("task_end", "a",
             R"(,"result":"fail","error":{"code":1,"description":"Batch of another version"})") +
            "\n",
        1));
}

TEST(NrfutilBatch, AppendReplacesTheWholeProbeOption) {
    EXPECT_EQ(tool::NrfutilAppendBatchCommand("n --json device reset --serial-number 68212 --x",
                                              "68212", "b.json"),
              "n --json device reset --append-batch " + os::QuoteArgument("b.json") + " --x");
    EXPECT_EQ(tool::NrfutilAppendBatchCommand("n device reset --serial-number 682123456", "68212",
                                              "b.json"),
              "");
}

}  // namespace
