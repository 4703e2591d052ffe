#include "simulated_probes.h"

namespace sim {

namespace {

constexpr char kFirstFlash[] = "flash.bin";
constexpr std::string_view kFlashSuffix = ".bin";

bool IsFileNameCharacter(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
           c == '_';
}

}  // namespace

std::string WithoutLeadingZeros(std::string_view serial) {
    const std::size_t first = serial.find_first_not_of('0');
    if (first == std::string_view::npos) {
        return serial.empty() ? std::string() : std::string("0");
    }
    return std::string(serial.substr(first));
}

std::optional<std::size_t> FindProbe(const std::vector<std::string>& serials,
                                     std::string_view serial) {
    const std::string wanted = WithoutLeadingZeros(serial);
    for (std::size_t i = 0; i < serials.size(); ++i) {
        if (WithoutLeadingZeros(serials[i]) == wanted) {
            return i;
        }
    }
    return std::nullopt;
}

std::string FlashFileName(const std::vector<std::string>& serials, std::size_t index) {
    if (index == 0) {
        return kFirstFlash;
    }
    std::string name = WithoutLeadingZeros(serials.at(index));
    for (char& c : name) {
        if (!IsFileNameCharacter(c)) {
            c = '_';
        }
    }
    return "flash-" + name + std::string(kFlashSuffix);
}

std::string ChipFilePath(const std::string& flashPath, std::string_view suffix) {
    std::string path = flashPath;
    if (path.size() >= kFlashSuffix.size() &&
        path.compare(path.size() - kFlashSuffix.size(), kFlashSuffix.size(), kFlashSuffix) == 0) {
        path.resize(path.size() - kFlashSuffix.size());
    }
    return path + std::string(suffix);
}

std::string ProtectionMarkPath(const std::string& flashPath) {
    return ChipFilePath(flashPath, ".protected");
}

}  // namespace sim
