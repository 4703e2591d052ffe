// Both stand-ins with several probes, and the nrfutil stand-in's commands, run as the station runs
// them: through the command interpreter in the bin folder, their output read by the station's
// own parsers. Each test has its own station folder with both stand-ins and two probes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "intel_hex.h"
#include "platform/paths.h"
#include "station_folder.h"
#include "tool/nrfutil_output.h"
#include "tool/run_command.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test_support::ReadFile;
using test_support::StationFolder;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::Not;

// Far beyond any run of a stand-in; only reached when it is broken.
constexpr auto kGenerousLimit = 60s;

constexpr char kFirst[] = "682123456";
constexpr char kSecond[] = "682000777";
constexpr char kSecondPadded[] = "000682000777";

enum class Tool { kNrfjprog, kNrfutil };

class Probes : public testing::Test {
protected:
    Probes() { station_.SetStandIn(std::string("serial=") + kFirst + "," + kSecond + "\n"); }

    std::string NrfutilPath() const { return station_.NrfutilPath(); }

    tool::CommandResult Run(Tool which, const std::vector<std::string>& arguments) const {
        std::string line =
            os::QuoteArgument(which == Tool::kNrfutil ? NrfutilPath() : station_.ToolPath());
        for (const std::string& argument : arguments) {
            line += " " + os::QuoteArgument(argument);
        }
        return tool::RunCommand(line, station_.BinFolder(), kGenerousLimit);
    }

    // The station's programming step on the nrfutil stand-in.
    tool::CommandResult Program(const std::string& serial, const std::string& eraseMode,
                                const std::string& verify = "VERIFY_READ") const {
        return Run(Tool::kNrfutil,
                   {"--json", "device", "program", "--firmware", station_.ImagePath(),
                    "--serial-number", serial, "--options",
                    "chip_erase_mode=" + eraseMode + ",verify=" + verify + ",reset=RESET_NONE"});
    }

    // The content of every file of the bin folder whose name starts with "flash".
    std::map<std::string, std::string> ChipFiles() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(fs::u8path(station_.BinFolder()))) {
            const std::string name = entry.path().filename().u8string();
            if (name.rfind("flash", 0) == 0) {
                files[name] = ReadFile(station_.BinFolder() + name);
            }
        }
        return files;
    }

    // The image's bytes, as they must land at the start of a flash.
    std::string ImageBytes() const {
        const sim::ParsedHex parsed = sim::ParseIntelHex(ReadFile(station_.ImagePath()));
        EXPECT_TRUE(parsed.Ok() && parsed.segments.size() == 1);
        const auto& bytes = parsed.segments.at(0).bytes;
        return {bytes.begin(), bytes.end()};
    }

    bool Holds(const std::string& flashFile, const std::string& bytes) const {
        return ReadFile(station_.BinFolder() + flashFile).substr(0, bytes.size()) == bytes;
    }

    StationFolder station_;
};

// The text's lines without their line ends.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    return lines;
}

TEST_F(Probes, BothToolsListEveryProbe) {
    const tool::CommandResult ids = Run(Tool::kNrfjprog, {"-i"});
    EXPECT_THAT(Lines(ids.output), ElementsAre(kFirst, kSecond));

    const tool::CommandResult list = Run(Tool::kNrfutil, {"--json", "device", "list"});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_TRUE(tool::NrfutilStepPassed(list.output, list.exitCode));
    const tool::JLinkListing listing = tool::ReadJLinkSerials(list.output);
    EXPECT_TRUE(listing.hasDeviceList);
    EXPECT_THAT(listing.serials, ElementsAre(kFirst, kSecond));
    EXPECT_THAT(list.output, HasSubstr(std::string("\"serialNumber\":\"") + kSecondPadded));

    const tool::CommandResult text = Run(Tool::kNrfutil, {"device", "list"});
    EXPECT_THAT(Lines(text.output), testing::IsSupersetOf({kFirst, kSecond}));
    EXPECT_THAT(text.output, HasSubstr("Supported devices found: 2"));

    station_.SetStandIn("probe=absent\n");
    const tool::JLinkListing none =
        tool::ReadJLinkSerials(Run(Tool::kNrfutil, {"--json", "device", "list"}).output);
    EXPECT_TRUE(none.hasDeviceList);
    EXPECT_THAT(none.serials, ElementsAre());
}

TEST_F(Probes, TheNamedSerialProgramsItsOwnFlashOnly) {
    const std::string image = station_.ImagePath();
    const struct {
        const char* what;
        Tool tool;
        std::vector<std::string> arguments;
        const char* flashFile;
    } cases[] = {
        {"nrfjprog, first probe",
         Tool::kNrfjprog,
         {"--snr", kFirst, "-e", "--program", image, "--verify"},
         "flash.bin"},
        {"nrfjprog, second probe written with zeros",
         Tool::kNrfjprog,
         {"-e", "--program", image, "--verify", "--snr", kSecondPadded},
         "flash-682000777.bin"},
        {"nrfutil, second probe",
         Tool::kNrfutil,
         {"--json", "device", "program", "--firmware", image, "--serial-number", kSecond},
         "flash-682000777.bin"},
        {"nrfutil, first probe written with zeros",
         Tool::kNrfutil,
         {"--json", "device", "program", "--options", "verify=VERIFY_READ", "--serial-number",
          "000682123456", "--firmware", image},
         "flash.bin"},
    };
    unsigned seed = 1;
    for (const auto& c : cases) {
        StationFolder::WriteImage(image, 4096, ++seed);
        auto expected = ChipFiles();
        const tool::CommandResult run = Run(c.tool, c.arguments);
        EXPECT_EQ(run.exitCode, 0) << c.what << "\n" << run.output;
        EXPECT_THAT(run.output, Not(HasSubstr("ERROR:"))) << c.what;
        expected.erase(c.flashFile);
        auto found = ChipFiles();
        EXPECT_TRUE(Holds(c.flashFile, ImageBytes())) << c.what;
        found.erase(c.flashFile);
        EXPECT_EQ(found, expected) << c.what << ": no other chip changes";
    }

    // The chips are shared by both tools: what nrfjprog wrote, nrfutil must erase first.
    const tool::CommandResult again = Program(kSecond, "ERASE_NONE");
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_THAT(again.output, HasSubstr("not erased"));
}

TEST_F(Probes, UnknownSerialProgramsNothing) {
    const std::string image = station_.ImagePath();
    const std::string noDevice =
        "Error: No devices with requested serial number(s) or trait(s) found.";
    const struct {
        const char* what;
        Tool tool;
        std::vector<std::string> arguments;
        int exitCode;
        std::string text;
    } cases[] = {
        {"nrfjprog program",
         Tool::kNrfjprog,
         {"--program", image, "--snr", "682000778"},
         40,
         "ERROR: "},
        {"nrfjprog erase", Tool::kNrfjprog, {"-e", "--snr", "1"}, 40, "ERROR: "},
        {"nrfutil program",
         Tool::kNrfutil,
         {"--json", "device", "program", "--firmware", image, "--serial-number", "6821234560"},
         1,
         noDevice},
        {"nrfutil protection-set",
         Tool::kNrfutil,
         {"--json", "device", "protection-set", "All", "--serial-number", "7"},
         1,
         noDevice},
        {"nrfutil reset",
         Tool::kNrfutil,
         {"--json", "device", "reset", "--reset-kind", "RESET_PIN", "--serial-number", "7"},
         1,
         noDevice},
    };
    for (const auto& c : cases) {
        const tool::CommandResult run = Run(c.tool, c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.what;
        EXPECT_THAT(run.output, HasSubstr(c.text)) << c.what;
        EXPECT_FALSE(tool::NrfutilStepPassed(run.output, run.exitCode)) << c.what;
    }
    station_.SetStandIn("probe=absent\n");
    const tool::CommandResult absent = Program(kFirst, "ERASE_ALL");
    EXPECT_EQ(absent.exitCode, 1);
    EXPECT_THAT(absent.output, HasSubstr(noDevice));
    EXPECT_TRUE(ChipFiles().empty()) << "no chip was touched";
}

TEST_F(Probes, ProtectedChipTakesOnlyAWholeErase) {
    const std::vector<std::vector<std::string>> stationSteps = {
        {"--json", "device", "protection-set", "All", "--serial-number", kSecond},
        {"--json", "device", "reset", "--reset-kind", "RESET_PIN", "--serial-number", kSecond},
    };
    const tool::CommandResult first = Program(kSecond, "ERASE_ALL");
    EXPECT_TRUE(tool::NrfutilStepPassed(first.output, first.exitCode)) << first.output;
    for (const auto& step : stationSteps) {
        const tool::CommandResult run = Run(Tool::kNrfutil, step);
        EXPECT_TRUE(tool::NrfutilStepPassed(run.output, run.exitCode)) << run.output;
    }
    EXPECT_TRUE(station_.Exists("bin/flash-682000777.protected"));
    EXPECT_FALSE(station_.Exists("bin/flash.protected")) << "the other chip stays open";

    StationFolder::WriteImage(station_.ImagePath(), 4096, 9);
    for (const char* mode : {"ERASE_NONE", "ERASE_RANGES_TOUCHED_BY_FIRMWARE"}) {
        const tool::CommandResult refused = Program(kSecondPadded, mode);
        EXPECT_EQ(refused.exitCode, 1) << mode;
        EXPECT_FALSE(tool::NrfutilStepPassed(refused.output, refused.exitCode)) << mode;
        EXPECT_THAT(tool::NrfutilStepAccount("program", refused.output, refused.exitCode),
                    HasSubstr("(code 24)"))
            << mode;
        EXPECT_FALSE(Holds("flash-682000777.bin", ImageBytes())) << mode;
    }
    const tool::CommandResult open = Program(kFirst, "ERASE_NONE");
    EXPECT_TRUE(tool::NrfutilStepPassed(open.output, open.exitCode)) << open.output;

    const tool::CommandResult erased = Program(kSecond, "ERASE_ALL");
    EXPECT_TRUE(tool::NrfutilStepPassed(erased.output, erased.exitCode)) << erased.output;
    EXPECT_TRUE(Holds("flash-682000777.bin", ImageBytes()));
    EXPECT_FALSE(station_.Exists("bin/flash-682000777.protected"));

    // recover opens a protected chip too, erasing it.
    Run(Tool::kNrfutil, stationSteps[0]);
    const tool::CommandResult recovered =
        Run(Tool::kNrfutil, {"device", "recover", "--serial-number", kSecond});
    EXPECT_EQ(recovered.exitCode, 0) << recovered.output;
    EXPECT_FALSE(station_.Exists("bin/flash-682000777.protected"));
    EXPECT_EQ(ReadFile(station_.BinFolder() + "flash-682000777.bin").find_first_not_of('\xFF'),
              std::string::npos);
}

TEST_F(Probes, NrfutilVerifyFailureIsCode25) {
    station_.SetStandIn("verify=fail\n");
    const tool::CommandResult run = Program(kFirst, "ERASE_ALL");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(tool::NrfutilStepPassed(run.output, run.exitCode));
    EXPECT_THAT(tool::NrfutilStepAccount("program", run.output, run.exitCode),
                HasSubstr("Program: failed: Verify failed at address 0x00000000: expected"));
    EXPECT_THAT(tool::NrfutilStepAccount("program", run.output, run.exitCode),
                HasSubstr("(code 25)"));

    const tool::CommandResult text =
        Run(Tool::kNrfutil, {"device", "program", "--firmware", station_.ImagePath(),
                             "--serial-number", kFirst, "--options", "verify=VERIFY_READ"});
    EXPECT_EQ(text.exitCode, 1);
    EXPECT_THAT(text.output, HasSubstr("0% [682123456] Failed, Verify failed"));
    EXPECT_THAT(text.output, HasSubstr("Error: One or more program tasks failed:"));
    EXPECT_THAT(text.output, HasSubstr("(VerifyError)"));

    // Without a verify the damage goes unseen, as on a real chip.
    const tool::CommandResult unverified = Program(kFirst, "ERASE_ALL", "VERIFY_NONE");
    EXPECT_TRUE(tool::NrfutilStepPassed(unverified.output, unverified.exitCode));
    EXPECT_FALSE(Holds("flash.bin", ImageBytes()));
}

TEST_F(Probes, NrfutilRehearsalFaults) {
    station_.SetStandIn("long_output=5000\n");
    const tool::CommandResult list = Run(Tool::kNrfutil, {"--json", "device", "list"});
    EXPECT_EQ(tool::ReadJLinkSerials(list.output).serials, std::vector<std::string>{"682123456"});
    const tool::CommandResult longRun = Program(kFirst, "ERASE_ALL");
    EXPECT_TRUE(tool::NrfutilStepPassed(longRun.output, longRun.exitCode));
    EXPECT_THAT(tool::NrfutilStepAccount("program", longRun.output, longRun.exitCode),
                HasSubstr("\nReading back flash block 00000001"));

    station_.SetStandIn("marker=omit\n");
    const tool::CommandResult unended = Program(kFirst, "ERASE_ALL");
    EXPECT_EQ(unended.exitCode, 0);
    EXPECT_TRUE(Holds("flash.bin", ImageBytes()));
    EXPECT_FALSE(tool::NrfutilStepPassed(unended.output, unended.exitCode))
        << "a run that never reports its end is no success";
}

TEST_F(Probes, NrfutilTextOutputWithoutJson) {
    const tool::CommandResult run =
        Run(Tool::kNrfutil, {"device", "program", "--firmware", station_.ImagePath(),
                             "--serial-number", kSecondPadded});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.output, HasSubstr("100% [682000777] Programmed"));
    EXPECT_THAT(run.output, Not(HasSubstr("{")));
}

TEST_F(Probes, NrfutilRefusesCommandLinesItDoesNotUnderstand) {
    const std::string image = station_.ImagePath();
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"device"},
        {"--json", "device", "erase", "--serial-number", kFirst},
        {"device", "program", "--firmware", image},
        {"device", "program", "--serial-number", kFirst},
        {"device", "program", "--firmware", image, "--serial-number", kFirst, "--serial-number",
         kSecond},
        {"device", "program", "--firmware", image, "--serial-number", kFirst, "--options",
         "chip_erase_mode=ERASE_SOME"},
        {"device", "program", "--firmware", image, "--serial-number", kFirst, "--options",
         "verify=VERIFY_READ,"},
        {"device", "program", "--firmware", image, "--serial-number", kFirst, "--reset-kind",
         "RESET_PIN"},
        {"device", "protection-set", "--serial-number", kFirst},
        {"device", "protection-set", "Some", "--serial-number", kFirst},
        {"device", "reset", "--reset-kind", "RESET_NOW", "--serial-number", kFirst},
        {"device", "list", "--serial-number", kFirst},
        {"device", "list", "--json"},
        {"--serial-number", kFirst, "device", "list"},
    };
    for (const auto& arguments : bad) {
        const tool::CommandResult run = Run(Tool::kNrfutil, arguments);
        EXPECT_EQ(run.exitCode, 2) << testing::PrintToString(arguments);
        EXPECT_THAT(run.output, HasSubstr("Error: ")) << testing::PrintToString(arguments);
    }
    EXPECT_TRUE(ChipFiles().empty());
    EXPECT_EQ(station_.StandInCallCount(), static_cast<int>(bad.size())) << "refused calls count";
}

TEST_F(Probes, NrfutilOptionListAndCallLog) {
    const tool::CommandResult help = Run(Tool::kNrfutil, {"device", "program", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option :
         {"--firmware", "--serial-number", "--options", "chip_erase_mode", "ERASE_ALL",
          "ERASE_NONE", "VERIFY_READ", "RESET_NONE", "standin.ini"}) {
        EXPECT_THAT(help.output, HasSubstr(option));
    }
    EXPECT_EQ(station_.StandInCalls(), station_.BinFolder() + "\tdevice\tprogram\t--help\n");
}

}  // namespace
