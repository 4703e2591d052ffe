// The blocks of serial numbers a station has taken from the factory's pools, kept in
// "serial-blocks.<title>.txt" in the station folder (replaced in one step, so a crash leaves the
// old or the new file), so that after a restart the station goes on with its block while the
// database is away:
//
//     # ...
//     block nrf52-board 100100 100199
//
// The numbers of a block are reserved through the folder's SerialNumberStore like those of a
// configured range, so each is issued once; a block is kept only while it has numbers left. A
// block the database gave but the file never got (a crash in between) is lost: its numbers are
// never issued by anyone, which leaves a gap, never a number twice.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "serial_numbers/serial_number_store.h"

namespace database {

struct SerialBlock {
    std::string pool;
    serial_numbers::NumberRange range;
};

// The blocks file of title in folder (ending in the separator).
std::string SerialBlocksPath(const std::string& folder, const std::string& title);
// The blocks of such a file's text, in the order they were taken; lines not understood are
// left out.
std::vector<SerialBlock> SerialBlocksFromText(std::string_view text);
std::string SerialBlocksText(const std::vector<SerialBlock>& blocks);

struct PoolNumbers {
    std::optional<serial_numbers::NumberRange> current;  // the first block with numbers left
    std::uint64_t left = 0;                              // numbers left in all blocks of the pool
};

// What the blocks of pool have left, as the store has reserved their numbers. Throws what the
// store throws.
PoolNumbers NumbersLeft(const std::vector<SerialBlock>& blocks, const std::string& pool,
                        const serial_numbers::SerialNumberStore& store);

}  // namespace database
