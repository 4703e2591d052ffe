#include "database/database_settings.h"

#include "platform/computer.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace database {

namespace {

std::string Read(const std::string& configPath, const std::string& title,
                 const std::string& section, const std::string& key) {
    return os::GetTitledSetting(section, key, title, configPath).value;
}

}  // namespace

std::optional<DatabaseSettings> ReadDatabaseSettings(const std::string& configPath,
                                                     const std::string& title) {
    DatabaseSettings settings;
    settings.connection = Read(configPath, title, "database", "connection");
    if (settings.connection.empty()) {
        return std::nullopt;
    }
    settings.station = Read(configPath, title, "database", "station");
    if (settings.station.empty()) {
        const std::string computer = os::ComputerName();
        settings.station = computer.empty() ? title : computer + "/" + title;
    }
    return settings;
}

std::optional<PoolSettings> ReadPoolSettings(const std::string& configPath,
                                             const std::string& title) {
    PoolSettings settings;
    settings.pool = Read(configPath, title, "serial", "pool");
    if (settings.pool.empty()) {
        return std::nullopt;
    }
    if (settings.pool.find_first_of(" \t") != std::string::npos) {
        settings.problem = "config.ini的[serial]中pool=" + settings.pool + "含有空格";
        return settings;
    }
    const os::TitledSetting block = os::GetTitledSetting("serial", "block", title, configPath);
    if (!block.value.empty()) {
        const std::optional<std::uint64_t> value = os::DecimalNumber(block.value);
        if (!value || *value < 1 || *value > kLargestBlock) {
            settings.problem = "config.ini的[serial]中" + block.key + "=" + block.value +
                               "不是1到" + std::to_string(kLargestBlock) + "之间的十进制数";
        } else {
            settings.block = static_cast<std::uint32_t>(*value);
        }
    }
    return settings;
}

}  // namespace database
