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

std::string OtherFamilyLine(const std::string& family) {
    return "电路板上的芯片不是config.ini中指定的系列" +
           (family.empty() ? std::string() : "（[chip] family=" + family + "）") +
           "，没有写入任何内容。请确认板子和config.ini。";
}

std::string ProtectedChipLine(bool erase, bool recover) {
    const std::string box = "“烧写前先执行擦除”";
    const std::string setRecover = "在config.ini的[chip]中设置recover=yes";
    if (recover && erase) {
        return "芯片处于读保护状态，解锁（recover）后仍不能烧写。";
    }
    if (recover) {
        return "芯片处于读保护状态：勾选" + box + "后再烧写，烧写前会先解锁（recover）芯片。";
    }
    if (erase) {
        return "芯片处于读保护状态（出厂即加锁或返修的板子），擦除不能解锁：请" + setRecover +
               "，勾选" + box + "时会先解锁（recover）芯片再烧写。";
    }
    return "芯片处于读保护状态：勾选" + box + "后再烧写；出厂即加锁的芯片还需" + setRecover +
           "，烧写前先解锁（recover）。";
}

}  // namespace station
