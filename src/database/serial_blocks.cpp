#include "database/serial_blocks.h"

#include "platform/text.h"

namespace database {

std::string SerialBlocksPath(const std::string& folder, const std::string& title) {
    return folder + "serial-blocks." + title + ".txt";
}

std::vector<SerialBlock> SerialBlocksFromText(std::string_view text) {
    std::vector<SerialBlock> blocks;
    os::ForEachLine(text, [&](std::string_view line) {
        const std::vector<std::string_view> words = os::Words(line, 5);
        if (words.size() != 4 || words[0] != "block") {
            return;
        }
        const std::optional<std::uint64_t> first = os::DecimalNumber(words[2]);
        const std::optional<std::uint64_t> last = os::DecimalNumber(words[3]);
        if (first && last && *first <= *last && *last <= UINT32_MAX) {
            blocks.push_back(
                {std::string(words[1]),
                 {static_cast<std::uint32_t>(*first), static_cast<std::uint32_t>(*last)}});
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
