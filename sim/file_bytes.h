// Whole-file reads and writes for the stand-in programmer and hexgen, through the OS layer so that
// failures carry the station's "Cannot open file ..." messages.
#pragma once

#include <string>

namespace sim {

// The whole content of the file. Throws os::FileError when it cannot be opened or read.
std::string ReadWholeFile(const std::string& path);

// Replaces the file's content with bytes. The bytes go to a temporary file beside it first,
// which is then renamed over it, so a crash never leaves a half-written file. Throws
// os::FileError.
void WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace sim
