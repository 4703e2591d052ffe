// The chip maker's programmer the station drives, and what differs between the two at the level
// of the whole tool: its file in bin, the command shown to the operator, the option list.
#pragma once

#include <string>

namespace tool {

// nrfjprog (archived by its maker, what most lines run), or its successor nrfutil device.
enum class Programmer { kNrfjprog, kNrfutil };

// The programmer's file name in bin, with the platform's executable suffix.
std::string ToolFileName(Programmer programmer);
// The command template Edit_Para shows for the programmer at progPath: for the operator only,
// never run. It names serial, the probe config.ini binds the station to, unless it is "", and
// the chips' family as the programmer spells it (chip_family.h), unless it is "".
std::string ShownCommand(Programmer programmer, const std::string& progPath,
                         const std::string& serial, const std::string& family = "");
// The command that prints the programmer's own option list.
std::string OptionListCommand(Programmer programmer, const std::string& progPath);

}  // namespace tool
