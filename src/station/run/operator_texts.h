// The operator's texts a tool run adds to what the tool printed: the station's own wording,
// handed to RunCommand through its options (run_command.h), which itself adds none.
#pragma once

#include <cstddef>
#include <string>

namespace station {

// "ERROR:命令在N秒内未结束，已被终止。", N the limit in seconds: the last line of a run that its
// limit ended.
std::string TimeoutLine(long long limitSeconds);

// "（输出过长，前面的部分已省略，只保留了最后16 MiB。）" for 16 MiB: the first line of an output of
// which only the last keptBytes were kept, the size in MiB, KiB or bytes, whichever divides it.
std::string OutputCutNote(std::size_t keptBytes);

}  // namespace station
