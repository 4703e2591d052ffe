// The contract with the chip maker's programmer tool: the three command lines the station runs
// and the two markers it reads from the tool's output. Nothing else of the tool is relied on.
#pragma once

#include <chrono>
#include <string>

namespace tool {

// The programmer tool's file name: "nrfjprog" plus the platform's executable suffix.
std::string ProgrammerFileName();

// The fixed trailing options of a programming run (two blanks before and two after).
inline constexpr char kProgPara[] = "  --verify --rbp ALL --pinreset  ";

// How long each kind of run may take before it is ended.
inline constexpr std::chrono::seconds kProbeQueryLimit{30};
inline constexpr std::chrono::seconds kHelpLimit{30};
inline constexpr std::chrono::seconds kProgrammingLimit{300};

// Paths are quoted for the command interpreter, so blanks and special characters in them reach
// the tool as one argument and never run anything.

// progPath + " -i ": the probe query; any output counts as a present probe.
std::string ProbeQueryCommand(const std::string& progPath);
// progPath + " --program " + hexPath + kProgPara, or with " -e --program " when erase is set.
std::string ProgrammingCommand(const std::string& progPath, const std::string& hexPath,
                               bool erase);
// progPath + " -h ": the tool's option list.
std::string HelpCommand(const std::string& progPath);
// progPath + " --programs @hex " + kProgPara: the template shown to the operator; never run.
std::string CommandTemplate(const std::string& progPath);

// A programming run succeeded only when its output contains "Verify OK" and does not contain
// "ERROR:" (both case-sensitive).
bool ProgrammingSucceeded(const std::string& output);

}  // namespace tool
