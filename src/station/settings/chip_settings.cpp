#include "station/settings/chip_settings.h"

#include <limits>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/profile.h"
#include "platform/text.h"
#include "station/settings/setting_values.h"
#include "tool/memory_words.h"
#include "tool/programmer.h"

namespace station {

namespace {

using Setting = os::TitledSetting;

Setting Read(const std::string& configPath, const std::string& title, const std::string& section,
             const std::string& key) {
    return os::GetTitledSetting(section, key, title, configPath);
}

// A 32-bit number written in decimal, or in hexadecimal after "0x" when hex is allowed.
std::optional<std::uint32_t> Number(std::string_view text, bool hexAllowed) {
    std::optional<std::uint64_t> value;
    if (hexAllowed && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        if (!text.empty() && text.size() <= 10 &&
            text.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos) {
            value = std::stoull(std::string(text), nullptr, 16);
        }
    } else {
        value = os::DecimalNumber(text);
    }
    if (!value || *value > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*value);
}

// A 32-bit word's address: a number that is a multiple of 4.
std::optional<std::uint32_t> WordAddress(const std::string& text) {
    const std::optional<std::uint32_t> address = Number(text, true);
    return address && *address % 4 == 0 ? address : std::nullopt;
}

void ReadChip(const std::string& configPath, const std::string& title, ChipSettings& chip) {
    const Setting family = Read(configPath, title, "chip", "family");
    if (!family.value.empty()) {
        chip.family = tool::FamilyNamed(family.value);
        if (!chip.family) {
            chip.problem = SettingProblem("chip", family, "不是" + tool::FamilyNames() + "之一");
            return;
        }
    }
    chip.recover = ReadSwitch("chip", Read(configPath, title, "chip", "recover"), chip.problem)
                       .value_or(false);
    if (!chip.problem.empty()) {
        return;
    }
    const Setting sessions = Read(configPath, title, "chip", "sessions");
    const std::string choice = os::AsciiLower(sessions.value);
    if (choice != "" && choice != "each" && choice != "fewest") {
        chip.problem = SettingProblem("chip", sessions, "不是each或fewest");
        return;
    }
    chip.fewestSessions = choice == "fewest";
    const Setting modem = Read(configPath, title, "chip", "modem");
    if (!modem.value.empty() && chip.family != tool::ChipFamily::kNrf91) {
        chip.problem = SettingProblem("chip", modem,
                                      "只能与family=nrf91一起使用（调制解调器固件只属于nRF91）");
        return;
    }
    chip.modem = modem.value;
}

void ReadTrace(const std::string& configPath, const std::string& title, ChipSettings& chip) {
    const std::optional<bool> on =
        ReadSwitch("trace", Read(configPath, title, "trace", "deviceid"), chip.problem);
    if (!on.value_or(false)) {
        return;
    }
    const Setting address = Read(configPath, title, "trace", "deviceid_address");
    const std::uint32_t fallback =
        chip.family ? tool::FactsOf(*chip.family).deviceIdAddress : tool::kNrf52DeviceIdAddress;
    chip.deviceIdAddress =
        address.value.empty() ? std::optional(fallback) : WordAddress(address.value);
    if (!chip.deviceIdAddress) {
        chip.problem = SettingProblem("trace", address, "不是一个32位字的地址");
    }
}

void ReadSerial(const std::string& configPath, const std::string& title,
                const std::optional<database::PoolSettings>& poolSettings, ChipSettings& chip) {
    Setting address = Read(configPath, title, "serial", "address");
    const Setting first = Read(configPath, title, "serial", "first");
    const Setting last = Read(configPath, title, "serial", "last");
    const Setting pool{"pool", poolSettings ? poolSettings->pool : std::string()};
    if (address.value.empty() && first.value.empty() && last.value.empty() && pool.value.empty()) {
        return;
    }
    if (address.value.empty() && chip.family) {
        address.value = tool::HexWord(tool::FactsOf(*chip.family).serialAddress);
    }
    if (!pool.value.empty() && !(first.value.empty() && last.value.empty())) {
        chip.problem = "config.ini的[serial]中pool与first、last不能同时使用";
        return;
    }
    const std::vector<const Setting*> needed =
        pool.value.empty() ? std::vector<const Setting*>{&address, &first, &last}
                           : std::vector<const Setting*>{&address};
    for (const Setting* missing : needed) {
        if (missing->value.empty()) {
            chip.problem = "config.ini的[serial]中缺少" + missing->key + "，序列号设置不完整";
            return;
        }
    }
    const std::optional<std::uint32_t> word = WordAddress(address.value);
    const std::optional<std::uint32_t> from = Number(first.value, false);
    const std::optional<std::uint32_t> to = Number(last.value, false);
    if (!word) {
        chip.problem = SettingProblem("serial", address, "不是一个32位字的地址");
    } else if (!pool.value.empty()) {
        chip.serial = ChipSettings::Serial{*word, {}, pool.value};
    } else if (!from) {
        chip.problem = SettingProblem("serial", first, "不是小于2^32的十进制数");
    } else if (!to || *to < *from) {
        chip.problem = SettingProblem("serial", last, "不是不小于first、小于2^32的十进制数");
    } else {
        chip.serial = ChipSettings::Serial{*word, {*from, *to}, ""};
    }
}

}  // namespace

ChipSettings ReadChipSettings(const std::string& configPath, const std::string& title,
                              const std::optional<database::PoolSettings>& pool) {
    ChipSettings chip;
    ReadChip(configPath, title, chip);
    if (chip.problem.empty()) {
        ReadTrace(configPath, title, chip);
    }
    if (chip.problem.empty()) {
        chip.label = ReadLabelSettings(configPath, title, chip.problem);
    }
    if (chip.problem.empty()) {
        ReadSerial(configPath, title, pool, chip);
    }
    return chip;
}

}  // namespace station
