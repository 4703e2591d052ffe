#include "simulated_chip.h"

#include <cstdio>
#include <utility>

#include "platform/files.h"
#include "platform/text.h"
#include "simulated_probes.h"

namespace sim {

namespace {

// The file whose presence marks that probe's fixture as empty.
constexpr char kOutSuffix[] = ".out";

constexpr std::uint32_t kFicrPageSize = 0x1000;

struct FamilyMap {
    std::uint32_t ficr;      // the FICR page
    std::uint32_t deviceId;  // DEVICEID[0]
    std::uint32_t uicr;      // the UICR page
};

FamilyMap MapOf(Family family, Core core = Core::kApplication) {
    if (core == Core::kNetwork) {
        return {0x01FF0000, 0x01FF0204, 0x01FF8000};
    }
    switch (family) {
        case Family::kNrf53:
        case Family::kNrf91:
            return {0x00FF0000, 0x00FF0204, 0x00FF8000};
        case Family::kNrf54L:
            return {0x00FFC000, 0x00FFC304, 0x00FFD000};
        case Family::kNrf51:
        case Family::kNrf52:
            break;
    }
    return {0x10000000, 0x10000060, 0x10001000};
}

// Present once a recover opened a chip that came protected.
std::string OpenedPath(const std::string& flashPath) {
    return ChipFilePath(flashPath, ".opened");
}

std::string BoardPath(const std::string& flashPath) {
    return ChipFilePath(flashPath, ".board");
}

// The board number in the board file; 0 when there is none.
std::uint64_t BoardNumber(const std::string& flashPath) {
    const std::string path = BoardPath(flashPath);
    if (!os::FileExists(path)) {
        return 0;
    }
    const std::string text(
        os::TrimmedOf(os::ReadWholeFile(path, os::Share::kRead), os::kAsciiSpace));
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != text.npos) {
        throw FlashFileError("The board file " + path + " holds no board number; delete it to " +
                             "start again from board 0.");
    }
    return std::stoull(text);
}

std::uint64_t DeviceIdOf(const Settings& settings, std::size_t probe, std::uint64_t board) {
    return settings.deviceId + (std::uint64_t{probe} << 32) + board;
}

// The network core's memory beside the application core's.
constexpr char kNetworkSuffix[] = ".net.bin";
constexpr std::uint32_t kNetworkFlashBase = 0x01000000;
constexpr std::size_t kNetworkFlashSize = 256 * 1024;

FlashLayout LayoutOf(Family family, Core core) {
    FlashLayout layout;
    layout.uicrBase = MapOf(family, core).uicr;
    if (core == Core::kNetwork) {
        layout.flashBase = kNetworkFlashBase;
        layout.flashSize = kNetworkFlashSize;
    }
    return layout;
}

// A 64-bit FNV-1a of bytes: what the modem's record keeps of its package.
std::uint64_t Fnv1a(const std::string& bytes) {
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    }
    return hash;
}

}  // namespace

std::optional<Core> CoreNamed(const std::string& name) {
    const std::string lower = os::AsciiLower(name);
    if (lower.empty() || lower == "cp_application" || lower == "application") {
        return Core::kApplication;
    }
    if (lower == "cp_network" || lower == "network") {
        return Core::kNetwork;
    }
    return std::nullopt;
}

void SimulatedChip::RecordModem(const std::string& zipPath, const std::string& content) const {
    const std::size_t slash = zipPath.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? zipPath : zipPath.substr(slash + 1);
    os::ReplaceFileContent(
        ChipFilePath(flashPath_, ".modem"),
        name + " " + std::to_string(content.size()) + " " + DeviceIdText(Fnv1a(content)) + "\n");
}

std::uint32_t DeviceIdAddress(Family family) {
    return MapOf(family).deviceId;
}

std::string DeviceIdText(std::uint64_t deviceId) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(deviceId));
    return text;
}

SimulatedChip SimulatedChip::Load(const std::string& folder, const Settings& settings,
                                  std::size_t probe, Core core) {
    std::string flashPath = folder + FlashFileName(settings.serials, probe);
    const std::uint64_t board = BoardNumber(flashPath);
    if (core == Core::kNetwork) {
        flashPath = ChipFilePath(flashPath, kNetworkSuffix);
    }
    SimulatedFlash flash = SimulatedFlash::Load(flashPath, LayoutOf(settings.family, core));
    return SimulatedChip(std::move(flash), std::move(flashPath), settings.family,
                         DeviceIdOf(settings, probe, board), settings.factoryProtected, core);
}

std::uint64_t SimulatedChip::ChangeBoard(const std::string& folder, const Settings& settings,
                                         std::size_t probe) {
    const std::string flashPath = folder + FlashFileName(settings.serials, probe);
    const std::uint64_t board = BoardNumber(flashPath) + 1;
    os::ReplaceFileContent(BoardPath(flashPath), std::to_string(board) + "\n");
    for (const char* suffix : {".bin", ".uicr", ".protected", ".opened", kOutSuffix, ".modem",
                               ".net.bin", ".net.uicr", ".net.protected", ".net.opened"}) {
        os::RemoveFile(ChipFilePath(flashPath, suffix));
    }
    return DeviceIdOf(settings, probe, board);
}

void SimulatedChip::TakeBoardOut(const std::string& folder, const Settings& settings,
                                 std::size_t probe) {
    const std::string flashPath = folder + FlashFileName(settings.serials, probe);
    os::ReplaceFileContent(ChipFilePath(flashPath, kOutSuffix), "out\n");
}

bool SimulatedChip::BoardIn(const std::string& folder, const Settings& settings,
                            std::size_t probe) {
    return !os::FileExists(
        ChipFilePath(folder + FlashFileName(settings.serials, probe), kOutSuffix));
}

std::string SimulatedChip::VersionText() const {
    switch (family_) {
        case Family::kNrf53:
            return "NRF5340_xxAA_REV1";
        case Family::kNrf91:
            return "NRF9160_xxAA_REV2";
        case Family::kNrf54L:
            return "NRF54L15_xxAA_REV1";
        case Family::kNrf51:
            return "NRF51822_xxAA_REV3";
        case Family::kNrf52:
            break;
    }
    return "NRF52840_xxAA_REV2";
}

void SimulatedChip::EraseWhole() {
    flash_.EraseAll();
    Save();
    SetProtected(false);
}

void SimulatedChip::Recover() {
    if (core_ == Core::kNetwork) {  // erases the application core too
        const std::string application =
            flashPath_.substr(0, flashPath_.size() - std::string(kNetworkSuffix).size()) + ".bin";
        for (const char* suffix : {".bin", ".uicr", ".protected"}) {
            os::RemoveFile(ChipFilePath(application, suffix));
        }
    }
    EraseWhole();
    if (factoryProtected_) {
        os::ReplaceFileContent(OpenedPath(flashPath_), "recovered\n");
    }
}

bool SimulatedChip::Protected() const {
    return os::FileExists(ProtectionMarkPath(flashPath_)) ||
           (factoryProtected_ && !os::FileExists(OpenedPath(flashPath_)));
}

void SimulatedChip::SetProtected(bool on) const {
    if (on) {
        os::ReplaceFileContent(ProtectionMarkPath(flashPath_), "All\n");
    } else {
        os::RemoveFile(ProtectionMarkPath(flashPath_));
    }
}

std::optional<std::vector<std::uint8_t>> SimulatedChip::Read(std::uint32_t address,
                                                             std::size_t count) const {
    const FamilyMap map = MapOf(family_, core_);
    const std::uint64_t end = std::uint64_t{address} + count;
    if (address < map.ficr || end > std::uint64_t{map.ficr} + kFicrPageSize) {
        return flash_.Read(address, count);
    }
    std::vector<std::uint8_t> bytes(count, SimulatedFlash::kErased);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t at = address + i;
        // DEVICEID[0], the low half, comes first, each word little-endian.
        if (at >= map.deviceId && at < map.deviceId + 8) {
            bytes[i] = static_cast<std::uint8_t>(deviceId_ >> (8 * (at - map.deviceId)));
        }
    }
    return bytes;
}

SimulatedChip::WordWrite SimulatedChip::WriteWord(std::uint32_t address, std::uint32_t value) {
    if (!flash_.Read(address, 4)) {
        return WordWrite::kNotWritable;
    }
    return flash_.WriteErasedWord(address, value) ? WordWrite::kWritten : WordWrite::kNotErased;
}

}  // namespace sim
