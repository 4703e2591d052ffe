// Reading nrfutil's JSON lines: the probe list, the judgement of a step and the operator's
// account, over the captured samples and what may come instead of them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tool/nrfutil_output.h"

namespace {

using testing::ElementsAreArray;
using testing::HasSubstr;
using testing::Not;

// A captured device entry, with its serial number and jlink trait replaced.
std::string Device(const std::string& serial, const char* jlink = "true") {
    return R"({"boardController":{"productId":4201,"serialNumber":")" + serial +
           R"(","vendorId":4966},"devkit":{"boardVersion":"PCA10184","deviceFamily":"NRF54L_FAMILY"},)"
           R"("id":3,"probe":"{}","serialNumber":")" +
           serial +
           R"(","serialPorts":[{"comName":"/dev/ttyACM2","vcom":0}],"traits":{)"
           R"("boardController":true,"broken":false,"devkit":true,"jlink":)" +
           jlink +
           R"(,"mcuBoot":false,"modem":false,"nordicDfu":false,"nordicUsb":false,)"
           R"("seggerUsb":true,"serialPorts":true,"usb":true},"usb":{"manufacturer":"SEGGER",)"
           R"("product":"J-Link","serialNumber":")" +
           serial + R"("}})";
}

const char kTask[] =
    R"({"id":"065ece6eed1b4136bb0925e654b5d8af","description":"list_devices","name":"list_devices","data":null})";

// The three lines of a captured device list run over the given devices (comma-separated).
std::string DeviceList(const std::string& devices) {
    return std::string(R"({"type":"task_begin","data":{"task":)") + kTask + "}}\n" +
           R"({"type":"task_end","data":{"task":)" + kTask +
           R"(,"message":"Completed","result":"success","error":null,"type":"devices",)"
           R"("data":{"devices":[)" +
           devices + "]}}}\n" + R"({"type":"info","data":{"devices":[)" + devices + "]}}\n";
}

TEST(ReadJLinkSerials, TakesTheJLinksOfTheTaskEndsDeviceList) {
    struct Case {
        const char* what;
        std::string output;
        bool hasDeviceList;
        std::vector<std::string> serials;
    };
    const std::string one = Device("001051810810");
    const std::string two = Device("001051159862");
    const Case cases[] = {
        {"one probe, zeros dropped", DeviceList(one), true, {"1051810810"}},
        {"two probes in listed order",
         DeviceList(two + "," + one),
         true,
         {"1051159862", "1051810810"}},
        {"no device", DeviceList(""), true, {}},
        {"a device without the jlink trait", DeviceList(Device("000000000777", "false")), true, {}},
        {"a jlink trait that is not true",
         DeviceList(Device("000000000777", "\"true\"")),
         true,
         {}},
        {"a J-Link beside another device",
         DeviceList(Device("000000000777", "false") + "," + one),
         true,
         {"1051810810"}},
        {"serials not padded, or all zeros",
         DeviceList(Device("682123456") + "," + Device("000")),
         true,
         {"682123456", "0"}},
        {"a serial that is not digits is no probe",
         DeviceList(Device("682\\n555") + "," + Device("") + "," + Device("-1")),
         true,
         {}},
        {"a device without serial or traits",
         DeviceList(R"({"serialNumber":"1"},{"traits":{"jlink":true}},7,null)"),
         true,
         {}},
        {"unknown fields and message types",
         R"({"type":"log","data":{"level":"INFO","message":"x"},"extra":[1,2]})"
         "\n" +
             DeviceList(R"({"new":{"a":1},"traits":{"jlink":true,"new":1},"serialNumber":"42"})"),
         true,
         {"42"}},
        {"the same probe in two task ends",
         DeviceList(one) + DeviceList(one),
         true,
         {"1051810810"}},
        {"devices only in an info line",
         std::string(R"({"type":"info","data":{"devices":[)") + one + "]}}\n",
         false,
         {}},
        {"a task end without a device list",
         R"({"type":"task_end","data":{"result":"fail","data":{"devices":null}}})",
         false,
         {}},
        {"an error text", "Error: No devices with requested serial number(s) found.\n", false, {}},
        {"nothing", "", false, {}},
        {"broken and cut lines around the list",
         "{\"type\":\"task_end\",\"data\":{\"data\":{\"devices\":[\n" + DeviceList(one) +
             "{\"type\":\r\n[]\n42\n\"text\"\n{\"type\":7}\n\xFF\xFE{}}\n",
         true,
         {"1051810810"}},
        {"brackets and quotes inside strings do not nest",
         DeviceList(R"({"note":"\"[)" + std::string(100, '[') +
                    R"(","traits":{"jlink":true},"serialNumber":"42"})"),
         true,
         {"42"}},
        {"a line nested deeper than any message is text",
         std::string(R"({"type":"task_end","data":{"data":{"devices":[)") + one + R"(]},"x":)" +
             std::string(100, '[') + std::string(100, ']') + "}}\n",
         false,
         {}},
        {"CR LF line ends",
         "\r\n" + DeviceList(one).replace(DeviceList(one).find('\n'), 1, "\r\n"),
         true,
         {"1051810810"}},
    };
    for (const Case& c : cases) {
        const tool::JLinkListing listing = tool::ReadJLinkSerials(c.output);
        EXPECT_EQ(listing.hasDeviceList, c.hasDeviceList) << c.what;
        EXPECT_THAT(listing.serials, ElementsAreArray(c.serials)) << c.what;
    }
}

// A task's begin and end, the end carrying what follows "result".
std::string Task(const std::string& id, const std::string& end) {
    const std::string task = R"({"id":")" + id + R"(","description":"Program","name":"program"})";
    return R"({"type":"task_begin","data":{"task":)" + task + "}}\n" +
           R"({"type":"task_progress","data":{"task":)" + task +
           R"(,"progress":{"progressPercentage":50}}})"
           "\n" +
           R"({"type":"task_end","data":{"task":)" + task + R"(,"message":"Programmed",)" + end +
           "}}\n";
}
const std::string kSuccess = Task("a1", R"("result":"success","error":null)");
const std::string kVerifyFailed =
    Task("a1", R"("result":"fail","error":{"code":25,"description":"Verify failed at 0x0"})");

TEST(NrfutilStepPassed, OnlyAClearSuccessPasses) {
    struct Case {
        const char* what;
        std::string output;
        int exitCode;
        bool passed;
    };
    const Case cases[] = {
        {"a task that succeeded", kSuccess, 0, true},
        {"two tasks that succeeded", kSuccess + Task("b2", R"("result":"success")"), 0, true},
        {"with text lines that are not errors", "WARNING: slow probe\n" + kSuccess, 0, true},
        {"a non-zero exit code", kSuccess, 1, false},
        {"an exit code of a killed run", kSuccess, -1, false},
        {"result fail", kVerifyFailed, 1, false},
        {"result fail with exit code 0", kVerifyFailed, 0, false},
        {"one of two tasks failed", kSuccess + kVerifyFailed, 0, false},
        {"a result not known", Task("a1", R"("result":"cancelled")"), 0, false},
        {"a task end without a result", Task("a1", R"("error":null)"), 0, false},
        {"Error: text", kSuccess + "Error: One or more program tasks failed:\n", 0, false},
        {"ERROR: text (the station's timeout line)",
         kSuccess + "ERROR:命令在300秒内未结束，已被终止。\n", 0, false},
        {"Error: inside a message", Task("a1", R"("result":"success","note":"Error: x")"), 0,
         false},
        {"no task end", R"({"type":"task_begin","data":{"task":{"id":"a1"}}})", 0, false},
        {"a task end that is cut", kSuccess.substr(0, kSuccess.size() - 4), 0, false},
        {"no output", "", 0, false},
        {"text only", "Programmed\n", 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tool::NrfutilStepPassed(c.output, c.exitCode), c.passed) << c.what;
    }
}

TEST(NrfutilStepAccount, TellsTheCommandAndEachTasksOutcomeWithoutJson) {
    const std::string command = "nrfutil --json device program --firmware merge.hex";
    struct Case {
        const char* what;
        std::string output;
        int exitCode;
        std::string account;
    };
    const Case cases[] = {
        {"success", kSuccess, 0, command + "\n  Program: Programmed"},
        {"a failure with its description and code", "WARNING: x\n" + kVerifyFailed, 1,
         command +
             "\n  Program: failed: Verify failed at 0x0 (code 25)\n  exit code 1\nWARNING: x"},
        {"a failure without error",
         R"({"type":"task_end","data":{"task":{"name":"reset"},"result":"fail","message":"Timed out"}})",
         1, command + "\n  reset: failed: Timed out\n  exit code 1"},
        {"an error code as text",
         R"({"type":"task_end","data":{"result":"fail","error":{"code":"E7"}}})", 1,
         command + "\n  task: failed: no description (code E7)\n  exit code 1"},
        {"a task that never ended, text kept as it came",
         "{\"type\":\"task_begin\",\"data\":{\"task\":{\"id\":\"z\",\"description\":\"Erase\"}}}"
         "\r\n\r\n  Error: One or more program tasks failed:\r\n * 682: cut\r\n{\"type\":",
         1,
         command +
             "\n  Erase: did not end\n  no task reported its end\n  exit code 1\n  Error: One or "
             "more program tasks failed:\n * 682: cut\n{\"type\":"},
        {"nothing printed", "", 0, command + "\n  no task reported its end"},
    };
    for (const Case& c : cases) {
        const std::string account = tool::NrfutilStepAccount(command, c.output, c.exitCode);
        EXPECT_EQ(account, c.account) << c.what;
        EXPECT_THAT(account, Not(HasSubstr("\"type\":\"task"))) << c.what;
    }
}

}  // namespace
