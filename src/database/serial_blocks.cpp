#include "serial_blocks.h"

#include <sstream>

#include "text.h"

namespace database {

std::string SerialBlocksPath(const std::string& folder, const std::string& title) {
    return folder + "serial-blocks." + title + ".txt";
}

std::vector<SerialBlock> SerialBlocksFromText(std::string_view text) {
    std::vector<SerialBlock> blocks;
    os::ForEachLine(text, [&](std::string_view line) {
        std::istringstream words{std::string(line)};
        std::string kind;
        SerialBlock block;
        std::uint64_t first = 0;
        std::uint64_t last = 0;
        std::string rest;
        if (words >> kind >> block.pool >> first >> last && !(words >> rest) && kind == "block" &&
            first <= last && last <= UINT32_MAX) {
            block.range = {static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(last)};
            blocks.push_back(std::move(block));
        }
    });
    return blocks;
}

std::string SerialBlocksText(const std::vector<SerialBlock>& blocks) {
    std::string text = "# romtool: serial number blocks taken from the factory's database\r\n";
    for (const SerialBlock& block : blocks) {
        text += "block " + block.pool + " " + std::to_string(block.range.first) + " " +
                std::to_string(block.range.last) + "\r\n";
    }
    return text;
}

PoolNumbers NumbersLeft(const std::vector<SerialBlock>& blocks, const std::string& pool,
                        const serial_numbers::SerialNumberStore& store) {
    PoolNumbers numbers;
    for (const SerialBlock& block : blocks) {
        if (block.pool != pool) {
            continue;
        }
        if (const std::optional<std::uint32_t> next = store.Next(block.range)) {
            numbers.left += std::uint64_t{block.range.last} - *next + 1;
            if (!numbers.current) {
                numbers.current = block.range;
            }
        }
    }
    return numbers;
}

}  // namespace database
