#include "station/run/operator_texts.h"

namespace station {

std::string TimeoutLine(long long limitSeconds) {
    return "ERROR:命令在" + std::to_string(limitSeconds) + "秒内未结束，已被终止。";
}

std::string OutputCutNote(std::size_t keptBytes) {
    constexpr std::size_t kKiB = 1024;
    constexpr std::size_t kMiB = kKiB * kKiB;
    const std::string size = keptBytes % kMiB == 0   ? std::to_string(keptBytes / kMiB) + " MiB"
                             : keptBytes % kKiB == 0 ? std::to_string(keptBytes / kKiB) + " KiB"
                                                     : std::to_string(keptBytes) + " B";
    return "（输出过长，前面的部分已省略，只保留了最后" + size + "。）";
}

}  // namespace station
