// Reading nrfutil's newest progress from its output as it arrives: plain or inside a batch, cut
// anywhere, with fields missing or out of range, after megabytes of other lines.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tool/nrfutil_progress.h"

namespace {

const std::string kTask = R"({"id":"7f3a","description":"Program","name":"program","data":null})";

// A task_progress message with the given progress object.
std::string Progress(const std::string& progress) {
    return R"({"type":"task_progress","data":{"task":)" + kTask + R"(,"progress":)" + progress +
           "}}";
}
std::string InBatch(const std::string& message) {
    return R"({"type":"batch_update","data":{"batch":{"operationId":"2","serialNumber":"1050119763"},"data":)" +
           message + "}}";
}
const std::string kBegin = R"({"type":"task_begin","data":{"task":)" + kTask + "}}";
const std::string kEnd = R"({"type":"task_end","data":{"task":)" + kTask +
                         R"(,"message":"Programmed","result":"success","error":null}})";
const std::string kStep2 =
    Progress(R"({"progressPercentage":45,"description":"Programming","step":2,"amountOfSteps":3})");

struct Expected {
    std::optional<int> percent;
    int step = 0;
    int steps = 0;
    std::string description;
};

TEST(NewestNrfutilProgress, ReadsOnlyWhatIsCertain) {
    struct Case {
        const char* what;
        std::string output;
        std::optional<Expected> expected;
    };
    const std::string log(8 * 1024 * 1024, 'x');
    const Case cases[] = {
        {"plain", kBegin + "\n" + kStep2 + "\n", Expected{45, 2, 3, "Programming"}},
        {"in a batch", InBatch(kBegin) + "\n" + InBatch(kStep2) + "\n",
         Expected{45, 2, 3, "Programming"}},
        {"the newest of several, CRLF",
         Progress(R"({"progressPercentage":10,"step":1,"amountOfSteps":3})") + "\r\n" + kStep2 +
             "\r\n",
         Expected{45, 2, 3, "Programming"}},
        {"a line still arriving is not read",
         kStep2 + "\n" + Progress(R"({"progressPercentage":90,"step":3,"amountOf)"),
         Expected{45, 2, 3, "Programming"}},
        {"cut after the closing brace, before its line end", kStep2, std::nullopt},
        {"the tail of a cut line", kStep2.substr(kStep2.find("{\"progressPercentage")) + "\n",
         std::nullopt},
        {"the tail of a batch line", InBatch(kStep2).substr(InBatch(kStep2).find(kStep2)) + "\n",
         std::nullopt},
        {"no step count", Progress(R"({"progressPercentage":70,"description":"Verifying"})") + "\n",
         Expected{70, 0, 0, "Verifying"}},
        {"no percentage", Progress(R"({"step":1,"amountOfSteps":2,"description":7})") + "\n",
         Expected{std::nullopt, 1, 2, ""}},
        {"a fraction is rounded down", Progress(R"({"progressPercentage":99.9})") + "\n",
         Expected{99, 0, 0, ""}},
        {"a percentage out of range is left out",
         Progress(R"({"progressPercentage":150,"step":1,"amountOfSteps":2})") + "\n",
         Expected{std::nullopt, 1, 2, ""}},
        {"and nothing else: nothing", Progress(R"({"progressPercentage":-1})") + "\n",
         std::nullopt},
        {"a step past the count",
         Progress(R"({"progressPercentage":5,"step":4,"amountOfSteps":3})") + "\n",
         Expected{5, 0, 0, ""}},
        {"step 0, a count too large, numbers as text",
         Progress(R"({"progressPercentage":"50","step":0,"amountOfSteps":0})") + "\n" +
             Progress(R"({"step":1,"amountOfSteps":100000})") + "\n" +
             Progress(R"({"step":"1","amountOfSteps":"2"})") + "\n",
         std::nullopt},
        {"progress that is no object", Progress("50") + "\n", std::nullopt},
        {"unknown fields and messages",
         Progress(R"({"progressPercentage":20,"eta":{"s":3},"new":[1]})") + "\n" +
             R"({"type":"log","data":{"message":"task_begin"}})" + "\n" +
             R"({"type":"newkind","data":{}})" + "\n",
         Expected{20, 0, 0, ""}},
        {"a task that ended keeps its last progress", kStep2 + "\n" + kEnd + "\n",
         Expected{45, 2, 3, "Programming"}},
        {"a task that began since has none yet", kStep2 + "\n" + kEnd + "\n" + kBegin + "\n",
         std::nullopt},
        {"nor in a batch", InBatch(kStep2) + "\n" + InBatch(kBegin) + "\n", std::nullopt},
        {"a batch carrying no message",
         R"({"type":"batch_update","data":{"data":"task_progress"}})"
         "\n",
         std::nullopt},
        {"garbage",
         "task_progress\n{\"type\":\"task_progress\"\n\x01\xff{{{\n" + std::string(200, '[') + "\n",
         std::nullopt},
        {"text of nrfjprog", "Parsing image file.\nVerifying programming.\nVerified OK.\n",
         std::nullopt},
        {"nothing", "", std::nullopt},
        {"megabytes of text before the progress", log + "\n" + kStep2 + "\n",
         Expected{45, 2, 3, "Programming"}},
        {"megabytes of text after it", kStep2 + "\n" + log + "\n",
         Expected{45, 2, 3, "Programming"}},
    };
    for (const Case& c : cases) {
        const std::optional<tool::NrfutilProgress> read = tool::NewestNrfutilProgress(c.output);
        ASSERT_EQ(read.has_value(), c.expected.has_value()) << c.what;
        if (read) {
            EXPECT_EQ(read->percent, c.expected->percent) << c.what;
            EXPECT_EQ(read->step, c.expected->step) << c.what;
            EXPECT_EQ(read->steps, c.expected->steps) << c.what;
            EXPECT_EQ(read->description, c.expected->description) << c.what;
        }
    }
}

}  // namespace
