// What the stand-in programmer prints. Text is UTF-8 here and goes out in the system's ANSI code
// page, as a console tool's output does. Every call is flushed before it returns, so the order of
// lines on standard output and standard error is the order of the calls, also when both streams
// share one pipe.
#pragma once

#include <cstddef>
#include <string_view>

#include "standin_settings.h"

namespace sim {

// Progress and results on standard output, one line each; each waits the pause set last.
void PrintLine(std::string_view text);
// How long PrintLine waits after each line: a slow tool, seen line by line.
void SetLinePause(unsigned long milliseconds);
// Bytes as they are (no conversion), then a line end; on standard output, or standard error.
void PrintRawLine(std::string_view bytes);
void PrintRawErrorLine(std::string_view bytes);
// "ERROR: " + text on standard error.
void PrintError(std::string_view text);
// "WARNING: " + text on standard error.
void PrintWarning(std::string_view text);

// The output faults of a rehearsal:
// exactly count bytes of readable text lines (the last one cut short to fit);
void PrintLongOutput(std::size_t count);
// a line with a zero byte inside it, followed by a pause so that what comes next is read
// separately from it;
void PrintZeroByteLine();
// a line with a multi-byte character whose bytes go out in two writes with a pause between.
void PrintSplitCharacterLine();
// Those of the three that the settings ask for, in that order; they go before a command's result.
void PrintRehearsalOutput(const Settings& settings);

}  // namespace sim
