// The stand-in programmer run as the station runs it: a separate process in the bin folder, its
// output read from a pipe. Runs the copy that test_support::StationFolder puts in bin/, so each
// test has its own flash.bin, standin.ini and calls.log.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "intel_hex.h"
#include "running_program_posix.h"
#include "station_folder.h"

namespace {

using namespace std::chrono_literals;
using test_support::ReadFile;
using test_support::RunningProgram;
using test_support::StationFolder;
using test_support::Streams;
using testing::HasSubstr;
using testing::Not;

// Far beyond any run of the stand-in; only reached when it is broken.
constexpr auto kGenerousLimit = 60s;

struct Finished {
    std::string output;  // standard output and standard error as one stream
    int exitCode;
};

class StandIn : public testing::Test {
protected:
    // Runs the station folder's stand-in in its bin folder with the given arguments.
    Finished Run(const std::vector<std::string>& arguments,
                 const std::vector<std::string>& variables = {}) const {
        std::vector<std::string> argv{station_.ToolPath()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        RunningProgram tool(argv, station_.BinFolder(), variables);
        EXPECT_TRUE(tool.ReadToEnd()) << "the stand-in did not end";
        return {tool.Output(), tool.Wait()};
    }

    Finished Program(const std::vector<std::string>& extra = {},
                     const std::vector<std::string>& variables = {}) const {
        std::vector<std::string> arguments{"--program", station_.ImagePath(), "--verify"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return Run(arguments, variables);
    }

    std::string Flash() const { return ReadFile(station_.BinFolder() + "flash.bin"); }

    // The bytes of the station's image as they must land in the flash.
    std::string ImageBytes() const {
        const auto parsed = sim::ParseIntelHex(ReadFile(station_.ImagePath()));
        EXPECT_TRUE(parsed.Ok());
        EXPECT_EQ(parsed.segments.size(), 1u);
        EXPECT_EQ(parsed.segments.at(0).address, 0u);
        return {parsed.segments.at(0).bytes.begin(), parsed.segments.at(0).bytes.end()};
    }

    StationFolder station_;
};

constexpr std::size_t kFlashSize = 1024 * 1024;

// ---------------------------------------------------------------------------------------------
// The three invocations of the station

TEST_F(StandIn, ProbeQueryPrintsTheSerialNumberOnly) {
    const Finished run = Run({"-i"});
    EXPECT_EQ(run.output, "682123456\n");
    EXPECT_EQ(run.exitCode, 0);
}

TEST_F(StandIn, OptionListNamesTheOptionsItUnderstands) {
    const Finished run = Run({"-h"});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* option : {"-i", "--program", "-e", "--sectorerase", "--verify", "--rbp",
                               "--pinreset", "standin.ini"}) {
        EXPECT_THAT(run.output, HasSubstr(option));
    }
    EXPECT_EQ(Run({"--help"}).output, run.output);
}

TEST_F(StandIn, ProgramsAndVerifiesTheImageIntoTheFlashFile) {
    const Finished run = Program({"--rbp", "ALL", "--pinreset"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.output, HasSubstr("\nVerify OK\n"));
    EXPECT_THAT(run.output, Not(HasSubstr("ERROR:")));
    EXPECT_THAT(run.output, HasSubstr("Applying pin reset."));

    const std::string flash = Flash();
    const std::string image = ImageBytes();
    ASSERT_EQ(flash.size(), kFlashSize);
    EXPECT_EQ(flash.substr(0, image.size()), image);
    EXPECT_EQ(flash.find_first_not_of('\xFF', image.size()), std::string::npos)
        << "the rest of the flash stays erased";
}

TEST_F(StandIn, ProgrammingOverWrittenFlashNeedsAnErase) {
    ASSERT_EQ(Program().exitCode, 0);

    const Finished again = Program();
    EXPECT_THAT(again.output, HasSubstr("ERROR: The flash at 0x00000000 is not erased."));
    EXPECT_THAT(again.output, Not(HasSubstr("Verify OK")));
    EXPECT_NE(again.exitCode, 0);

    // A different image after a chip erase: nothing of the first one is left.
    StationFolder::WriteImage(station_.ImagePath(), 1000, 7);
    const Finished erased = Program({"-e"});
    EXPECT_EQ(erased.exitCode, 0);
    EXPECT_THAT(erased.output, HasSubstr("Erasing user available code and UICR flash areas."));
    EXPECT_THAT(erased.output, HasSubstr("Verify OK"));
    const std::string flash = Flash();
    EXPECT_EQ(flash.substr(0, 1000), ImageBytes());
    EXPECT_EQ(flash.find_first_not_of('\xFF', 1000), std::string::npos);
}

TEST_F(StandIn, SectorEraseClearsOnlyThePagesTheImageWrites) {
    const std::string other = station_.Path() + "other.hex";
    test_support::WriteFile(other, sim::MakeIntelHex(std::vector<std::uint8_t>(16, 0x5A), 0x8000));
    ASSERT_EQ(Run({"--program", other}).exitCode, 0);
    ASSERT_EQ(Program().exitCode, 0);  // 4 KiB at 0: page 0 only
    StationFolder::WriteImage(station_.ImagePath(), 100, 3);

    const Finished run = Program({"--sectorerase"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.output, HasSubstr("Verify OK"));
    const std::string flash = Flash();
    EXPECT_EQ(flash.substr(0, 100), ImageBytes());
    EXPECT_EQ(flash.find_first_not_of('\xFF', 100), 0x8000u) << "page 0 erased past the image";
    EXPECT_EQ(flash.substr(0x8000, 16), std::string(16, '\x5A')) << "page 8 kept";
}

TEST_F(StandIn, OptionsMayComeInAnyOrder) {
    const Finished run = Run({"--pinreset", "--verify", "--rbp", "all", "--program",
                              station_.ImagePath(), "--chiperase"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.output, HasSubstr("Verify OK"));
}

TEST_F(StandIn, WithoutVerifyNeverClaimsVerifyOk) {
    const Finished run = Run({"--program", station_.ImagePath()});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.output, Not(HasSubstr("Verify OK")));
    EXPECT_EQ(Flash().substr(0, 4096), ImageBytes());
}

// ---------------------------------------------------------------------------------------------
// Images it refuses, leaving the flash alone

TEST_F(StandIn, CorruptImageIsAnErrorNamingTheLine) {
    std::string text = ReadFile(station_.ImagePath());
    char& digit = text[text.find("\r\n:") + 2 + 9];  // the first data digit of line 2
    digit = digit == '0' ? '1' : '0';
    test_support::WriteFile(station_.ImagePath(), text);

    const Finished run = Program();
    EXPECT_THAT(run.output, HasSubstr("ERROR: "));
    EXPECT_THAT(run.output, HasSubstr("line 2: record checksum is"));
    EXPECT_THAT(run.output, Not(HasSubstr("Verify OK")));
    EXPECT_NE(run.exitCode, 0);
    EXPECT_FALSE(station_.Exists("bin/flash.bin"));
}

TEST_F(StandIn, MissingImageIsAnError) {
    const Finished run = Run({"--program", station_.Path() + "none.hex", "--verify"});
    EXPECT_THAT(run.output, HasSubstr("ERROR: Cannot open file \"" + station_.Path() + "none.hex"));
    EXPECT_NE(run.exitCode, 0);
}

TEST_F(StandIn, ImageBeyondTheFlashIsAnError) {
    test_support::WriteFile(station_.ImagePath(),
                            sim::MakeIntelHex(std::vector<std::uint8_t>(32, 1), 0xFFFF0));
    const Finished run = Program();
    EXPECT_THAT(run.output, HasSubstr("ERROR: The image writes to 0x00100000"));
    EXPECT_NE(run.exitCode, 0);
    EXPECT_FALSE(station_.Exists("bin/flash.bin"));
}

TEST_F(StandIn, ImageWithoutDataIsAnError) {
    test_support::WriteFile(station_.ImagePath(), sim::MakeIntelHex({}, 0));
    const Finished run = Program();
    EXPECT_THAT(run.output, HasSubstr("ERROR: "));
    EXPECT_NE(run.exitCode, 0);
}

TEST_F(StandIn, FlashFileOfTheWrongSizeIsReportedNotOverwritten) {
    station_.Write("bin/flash.bin", "short");
    const Finished run = Program();
    EXPECT_THAT(run.output, HasSubstr("ERROR: The simulated flash"));
    EXPECT_NE(run.exitCode, 0);
    EXPECT_EQ(Flash(), "short");
}

// ---------------------------------------------------------------------------------------------
// Command lines it refuses

TEST_F(StandIn, ArgumentsItDoesNotUnderstandAreErrors) {
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"},
        {},
        {"--program"},
        {"-i", "--program", station_.ImagePath()},
        {"-i", "-e"},
        {"--verify"},
        {"--program", station_.ImagePath(), "--rbp", "SOME"},
        {"--program", station_.ImagePath(), "-e", "--sectorerase"},
        {"--program", station_.ImagePath(), "--program", station_.ImagePath()},
        {"-i", "--snr", "682123456"},
        {"-h", "--snr", "682123456"},
        {"--program", station_.ImagePath(), "--snr"},
        {"--program", station_.ImagePath(), "--snr", "J682"},
        {"--program", station_.ImagePath(), "--snr", "1", "--snr", "1"},
    };
    for (const auto& arguments : bad) {
        const Finished run = Run(arguments);
        EXPECT_EQ(run.output.rfind("ERROR: ", 0), 0u) << testing::PrintToString(arguments);
        EXPECT_NE(run.exitCode, 0) << testing::PrintToString(arguments);
    }
    EXPECT_FALSE(station_.Exists("bin/flash.bin"));
    EXPECT_EQ(station_.StandInCallCount(), static_cast<int>(bad.size())) << "refused calls count";
}

// ---------------------------------------------------------------------------------------------
// calls.log

TEST_F(StandIn, RecordsEveryCallAsOneLine) {
    Run({"-i"});
    Program({"--rbp", "ALL", "--pinreset"});
    Run({"-h"});
    Run({"with\ttab", "and\nnewline"});

    const std::string bin = station_.BinFolder();
    EXPECT_EQ(station_.StandInCalls(),
              bin + "\t-i\n" +                                    //
                  bin + "\t--program\t" + station_.ImagePath() +  //
                  "\t--verify\t--rbp\tALL\t--pinreset\n" +        //
                  bin + "\t-h\n" +                                //
                  bin + "\twith\\ttab\tand\\nnewline\n");
    EXPECT_EQ(station_.StandInCallCount(), 4);
}

TEST_F(StandIn, StationCommandLinesThroughTheShellArriveAsPlannedArguments) {
    // What the station runs: the quoted tool, the blanks around -i and the fixed options.
    const std::string tool = "'" + station_.ToolPath() + "'";
    const std::string image = "'" + station_.ImagePath() + "'";
    for (const std::string& line :
         {tool + " -i ", tool + " -e --program " + image + "  --verify --rbp ALL --pinreset  "}) {
        RunningProgram shell({"/bin/sh", "-c", line}, station_.BinFolder());
        ASSERT_TRUE(shell.ReadToEnd());
        EXPECT_EQ(shell.Wait(), 0) << shell.Output();
    }
    const std::string bin = station_.BinFolder();
    EXPECT_EQ(station_.StandInCalls(), bin + "\t-i\n" + bin + "\t-e\t--program\t" +
                                           station_.ImagePath() +
                                           "\t--verify\t--rbp\tALL\t--pinreset\n");
}

TEST_F(StandIn, RecordsTheWorkingFolderItWasStartedIn) {
    RunningProgram tool({station_.ToolPath(), "-i"}, station_.Path());
    ASSERT_TRUE(tool.ReadToEnd());
    tool.Wait();
    EXPECT_EQ(station_.StandInCalls(), station_.Path() + "\t-i\n");
}

// ---------------------------------------------------------------------------------------------
// Output streams

TEST_F(StandIn, ProgrammingWritesToBothStreams) {
    RunningProgram tool({station_.ToolPath(), "--program", station_.ImagePath(), "--verify"},
                        station_.BinFolder(), {}, Streams::kSeparate);
    ASSERT_TRUE(tool.ReadToEnd());
    EXPECT_EQ(tool.Wait(), 0);
    EXPECT_THAT(tool.Output(), HasSubstr("Verify OK"));
    EXPECT_THAT(tool.Errors(), HasSubstr("WARNING: "));
    EXPECT_THAT(tool.Errors(), Not(HasSubstr("Verify OK")));
}

// ---------------------------------------------------------------------------------------------
// Rehearsal faults

TEST_F(StandIn, AbsentProbeMakesTheQuerySilentAndProgrammingFail) {
    station_.SetStandIn("probe=absent\n");
    const Finished query = Run({"-i"});
    EXPECT_EQ(query.output, "");
    EXPECT_NE(query.exitCode, 0);

    const Finished program = Program();
    EXPECT_THAT(program.output, HasSubstr("ERROR: "));
    EXPECT_THAT(program.output, Not(HasSubstr("Verify OK")));
    EXPECT_NE(program.exitCode, 0);
    EXPECT_FALSE(station_.Exists("bin/flash.bin"));

    EXPECT_EQ(Run({"-h"}).exitCode, 0) << "the option list needs no probe";
}

TEST_F(StandIn, FailedVerifyReportsTheMismatch) {
    station_.SetStandIn("verify=fail\n");
    const Finished run = Program();
    EXPECT_THAT(run.output, HasSubstr("ERROR: Verification failed at address 0x00000000"));
    EXPECT_THAT(run.output, Not(HasSubstr("Verify OK")));
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(Flash().substr(0, 4096), ImageBytes()) << "the flash really differs";
}

TEST_F(StandIn, OmittedMarkerIsASuccessWithoutVerifyOk) {
    station_.SetStandIn("marker=omit\n");
    const Finished run = Program();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.output, HasSubstr("Programming complete."));
    EXPECT_THAT(run.output, Not(HasSubstr("Verify OK")));
    EXPECT_THAT(run.output, Not(HasSubstr("ERROR:")));
    EXPECT_EQ(Flash().substr(0, 4096), ImageBytes());
}

TEST_F(StandIn, DelayMakesTheRunLastAtLeastThatLong) {
    station_.SetStandIn("delay_ms=300\n");
    const auto start = std::chrono::steady_clock::now();
    const Finished run = Run({"-i"});
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
    EXPECT_EQ(run.output, "682123456\n");
}

// A call's price: every run its start, every run on the chip the probe's connection too, with
// both stand-ins (what the session benchmark counts on).
TEST_F(StandIn, EveryCallOnTheChipCostsItsStartAndItsConnection) {
    station_.SetStandIn("call_ms=100\nconnect_ms=200\n");
    const std::vector<std::string> nrfjprogRead{station_.ToolPath(), "--memrd", "0x10000060"};
    const std::vector<std::string> nrfutilRead{station_.NrfutilPath(),
                                               "--json",
                                               "device",
                                               "read",
                                               "--address",
                                               "0x10000060",
                                               "--bytes",
                                               "8",
                                               "--serial-number",
                                               "682123456"};
    for (const auto& [argv, least] :
         {std::pair{std::vector<std::string>{station_.ToolPath(), "-i"}, 100ms},
          std::pair{nrfjprogRead, 300ms}, std::pair{nrfutilRead, 300ms}}) {
        const auto start = std::chrono::steady_clock::now();
        RunningProgram tool(argv, station_.BinFolder());
        EXPECT_TRUE(tool.ReadToEnd(kGenerousLimit));
        EXPECT_EQ(tool.Wait(), 0) << tool.Output();
        EXPECT_GE(std::chrono::steady_clock::now() - start, least) << argv[1];
    }
}

// Reads the run until its last line, then checks that it has not ended and kills it.
void ExpectHangsAfter(RunningProgram& tool, const std::string& lastLine) {
    ASSERT_TRUE(tool.ReadUntil(lastLine)) << tool.Output();
    EXPECT_FALSE(tool.ReadToEnd(200ms)) << "the run ended";
}

TEST_F(StandIn, HangKeepsProgrammingRunsFromEverEnding) {
    station_.SetStandIn("hang=1\n");
    RunningProgram tool({station_.ToolPath(), "--program", station_.ImagePath(), "--verify"},
                        station_.BinFolder());
    ExpectHangsAfter(tool, "Verify OK\n");

    const Finished query = Run({"-i"});
    EXPECT_EQ(query.output, "682123456\n") << "the probe query still answers";
}

TEST_F(StandIn, HangProbeKeepsTheQueryFromEverEnding) {
    station_.SetStandIn("hang=probe\n");
    RunningProgram tool({station_.ToolPath(), "-i"}, station_.BinFolder());
    ExpectHangsAfter(tool, "682123456\n");
    EXPECT_EQ(Program().exitCode, 0);
}

TEST_F(StandIn, LongOutputAddsExactlyThatManyBytesOfText) {
    const std::string plain = Run({"-i"}).output;
    station_.SetStandIn("long_output=100000\n");
    const Finished run = Run({"-i"});
    ASSERT_EQ(run.output.size(), plain.size() + 100000);
    EXPECT_EQ(run.output.substr(100000), plain) << "the result comes last";
    const std::string extra = run.output.substr(0, 100000);
    EXPECT_EQ(extra.back(), '\n');
    EXPECT_TRUE(std::all_of(extra.begin(), extra.end(),
                            [](char c) { return c == '\n' || (c >= 0x20 && c < 0x7F); }));
}

TEST_F(StandIn, ZeroBytesComeInsideALineBeforeTheResult) {
    station_.SetStandIn("zero_bytes=1\n");
    const Finished run = Program();
    EXPECT_EQ(run.exitCode, 0);
    const std::size_t zero = run.output.find('\0');
    ASSERT_NE(zero, std::string::npos);
    EXPECT_NE(run.output[zero - 1], '\n');
    EXPECT_NE(run.output[zero + 1], '\n');
    EXPECT_LT(zero, run.output.find("Verify OK"));
}

TEST_F(StandIn, SplitCharacterArrivesInTwoReads) {
    station_.SetStandIn("split_char=1\n");
    RunningProgram tool({station_.ToolPath(), "-i"}, station_.BinFolder());
    ASSERT_TRUE(tool.ReadToEnd());
    const std::string character = "\xE5\xB7\xB2";  // 已 in UTF-8
    EXPECT_THAT(tool.Output(), HasSubstr(character));
    const auto& reads = tool.Reads();
    const auto first = std::find_if(reads.begin(), reads.end(), [](const std::string& read) {
        return !read.empty() && read.back() == '\xE5';
    });
    ASSERT_NE(first, reads.end()) << "no read ends inside the character";
    ASSERT_NE(first + 1, reads.end());
    EXPECT_EQ((first + 1)->substr(0, 2), "\xB7\xB2");
}

TEST_F(StandIn, SerialSettingNamesEveryProbe) {
    station_.SetStandIn("serial=12345\n");
    EXPECT_EQ(Run({"-i"}).output, "12345\n");
    station_.SetStandIn("serial= 111 , 222 \n");
    EXPECT_EQ(Run({"-i"}).output, "111\n222\n");
}

TEST_F(StandIn, SeveralProbesWithoutSnrWaitForAChoiceAndProgramNothing) {
    station_.SetStandIn("serial=682123456,682000777\n");
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--program", station_.ImagePath(), "--verify"},
          {"-e"},
          {"--pinreset"}}) {
        std::vector<std::string> argv{station_.ToolPath()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        RunningProgram tool(argv, station_.BinFolder());
        ExpectHangsAfter(tool, "waiting for a probe to be chosen.\n");
    }
    EXPECT_FALSE(station_.Exists("bin/flash.bin"));
    EXPECT_EQ(Program({"--snr", "682000777"}).exitCode, 0) << "a named probe is used at once";
}

TEST_F(StandIn, NrfutilHangsInTheRunsTheSettingNames) {
    const std::string nrfutil = station_.NrfutilPath();
    const std::vector<std::string> program{nrfutil,           "--json",     "device",
                                           "program",         "--firmware", station_.ImagePath(),
                                           "--serial-number", "682123456"};
    station_.SetStandIn("hang=program\n");
    RunningProgram tool(program, station_.BinFolder());
    ExpectHangsAfter(tool, "\"result\":\"success\"");
    RunningProgram list({nrfutil, "device", "list"}, station_.BinFolder());
    EXPECT_TRUE(list.ReadToEnd()) << "the device list still ends";

    station_.SetStandIn("hang=probe\n");
    RunningProgram hungList({nrfutil, "device", "list"}, station_.BinFolder());
    ExpectHangsAfter(hungList, "Supported devices found: 1\n");
}

TEST_F(StandIn, SettingsFileSkipsCommentsAndBlankLines) {
    station_.SetStandIn("\xEF\xBB\xBF; rehearsal\r\n# probe=absent\r\n\r\n  SERIAL = 42 \r\n");
    EXPECT_EQ(Run({"-i"}).output, "42\n");
}

TEST_F(StandIn, SettingsItDoesNotUnderstandAreWarnedAbout) {
    station_.SetStandIn("probes=absent\ndelay_ms=soon\nnot a setting\n");
    const Finished run = Run({"-i"});
    EXPECT_THAT(run.output, HasSubstr("WARNING: standin.ini line 1: unknown setting 'probes'"));
    EXPECT_THAT(run.output, HasSubstr("WARNING: standin.ini line 2: delay_ms cannot be 'soon'"));
    EXPECT_THAT(run.output, HasSubstr("WARNING: standin.ini line 3: "));
    EXPECT_THAT(run.output, HasSubstr("682123456\n"));
}

TEST_F(StandIn, EnvironmentOverridesTheSettingsFile) {
    station_.SetStandIn("probe=absent\nserial=1\n");
    EXPECT_EQ(Run({"-i"}, {"STANDIN_PROBE=present", "STANDIN_SERIAL=2"}).output, "2\n");
    EXPECT_EQ(Run({"-i"}, {"STANDIN_PROBE="}).output, "") << "an empty variable is unset";

    station_.SetStandIn("");
    const Finished run = Program({}, {"STANDIN_VERIFY=fail"});
    EXPECT_THAT(run.output, HasSubstr("ERROR: Verification failed"));
}

}  // namespace
