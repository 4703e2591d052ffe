#include "database/block_keeper.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "platform/files.h"

namespace database {

namespace {

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

// Numbers left below which the next block is taken ahead: a fifth of a block.
std::uint64_t Ahead(std::uint32_t block) {
    return std::max<std::uint64_t>(1, block / 5);
}

}  // namespace

BlockKeeper::BlockKeeper(std::string title, WorkerReport& report, StationGate& gate)
    : title_(std::move(title)), report_(report), gate_(gate) {}

void BlockKeeper::Load(const std::string& stationFolder, std::vector<std::string>& lines) {
    folder_ = stationFolder;
    blocks_.clear();
    const std::string path = SerialBlocksPath(stationFolder, title_);
    try {
        if (os::FileExists(path)) {
            blocks_ = SerialBlocksFromText(os::ReadWholeFile(path, os::Share::kRead));
        }
    } catch (const os::FileError& error) {
        lines.push_back(std::string("数据库：") + error.what());
    }
    report_.ShowBlocks(folder_, blocks_);
}

SerialBlockAnswer BlockKeeper::Refill(const StationDatabaseConfig& config, FactoryLink* database,
                                      std::optional<std::string>& failure,
                                      std::vector<std::string>& lines) {
    const PoolSettings& pool = *config.pool;
    try {
        const serial_numbers::SerialNumberStore store(config.stationFolder);
        PoolNumbers numbers = NumbersLeft(blocks_, pool.pool, store);
        if (numbers.left >= Ahead(pool.block)) {
            return SerialBlockAnswer::Range(*numbers.current);
        }
        const SerialBlockAnswer taken = TakeNext(config, database, failure, store, lines);
        numbers = NumbersLeft(blocks_, pool.pool, store);
        return numbers.current ? SerialBlockAnswer::Range(*numbers.current) : taken;
    } catch (const std::exception& error) {
        return SerialBlockAnswer::None(NoBlock::kStationFiles, error.what());
    }
}

SerialBlockAnswer BlockKeeper::TakeNext(const StationDatabaseConfig& config, FactoryLink* database,
                                        std::optional<std::string>& failure,
                                        const serial_numbers::SerialNumberStore& store,
                                        std::vector<std::string>& lines) {
    const PoolSettings& pool = *config.pool;
    if (!pool.problem.empty()) {
        return SerialBlockAnswer::None(NoBlock::kPoolSetting, pool.problem);
    }
    if (!database) {
        return SerialBlockAnswer::None(NoBlock::kUnreachable, FirstLine(failure.value_or("")));
    }
    std::optional<serial_numbers::NumberRange> range;
    try {
        const WatchedCall watched(report_);
        range = database->TakeBlock(pool.pool, pool.block);
    } catch (const odbc::OdbcError& error) {
        if (!error.ValuesRefused()) {
            failure = error.what();
        }
        return SerialBlockAnswer::None(NoBlock::kRefused, FirstLine(error.what()));
    }
    if (!range) {
        return SerialBlockAnswer::None(NoBlock::kPoolUsedUp, pool.pool);
    }
    Keep(config, store, *range, lines);
    return {};
}

void BlockKeeper::Keep(const StationDatabaseConfig& config,
                       const serial_numbers::SerialNumberStore& store,
                       serial_numbers::NumberRange range, std::vector<std::string>& lines) {
    const std::string& pool = config.pool->pool;
    std::vector<SerialBlock> blocks = blocks_;
    // Blocks used up are left out; those of another pool are kept for a change back.
    blocks.erase(std::remove_if(blocks.begin(), blocks.end(),
                                [&](const SerialBlock& block) {
                                    return block.pool == pool && !store.Next(block.range);
                                }),
                 blocks.end());
    blocks.push_back({pool, range});
    try {
        if (!gate_.Write([&] {
                os::ReplaceFileContent(SerialBlocksPath(folder_, title_), SerialBlocksText(blocks));
            })) {
            return;  // the station is gone: the block is a gap, never used
        }
    } catch (const os::FileError& error) {
        // Used all the same: a restart forgets it, which leaves a gap, never a number twice.
        lines.push_back(std::string("数据库：") + error.what());
    }
    blocks_ = std::move(blocks);
    report_.ShowBlocks(folder_, blocks_);
}

}  // namespace database
