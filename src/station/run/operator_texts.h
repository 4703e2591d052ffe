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

// The line above the failure message when the tool found a chip of another family than config.ini
// names (family as config.ini writes it): nothing was written to it.
std::string OtherFamilyLine(const std::string& family);

// The line above the failure message when the chip is protected (its debug port closed): what
// opens it, given whether the operator chose to erase and whether config.ini has recover=yes.
std::string ProtectedChipLine(bool erase, bool recover);

}  // namespace station
