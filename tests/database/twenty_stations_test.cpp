// Twenty stations, each a process of its own, at once against one database: every row arrives
// exactly once, and no serial number is given to two of them.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <sstream>

#include "database_fixture.h"
#include "platform/child_process.h"
#include "platform/paths.h"
#include "temp_folder.h"

namespace {

using database_test::Admin;

constexpr int kStations = 20;

struct Finished {
    int exitCode = -1;
    std::string output;
};

// Runs the helper once per argument list, all at once, and waits for all of them.
std::vector<Finished> RunAtOnce(const std::vector<std::vector<std::string>>& runs) {
    std::vector<std::unique_ptr<os::ChildProcess>> children;
    for (const auto& arguments : runs) {
        std::string command = os::QuoteArgument(ROMTOOL_DATABASE_HELPER_PATH);
        for (const std::string& argument : arguments) {
            command += " " + os::QuoteArgument(argument);
        }
        children.push_back(os::ChildProcess::Start(command, "."));
        EXPECT_TRUE(children.back()) << command;
    }
    std::vector<Finished> finished(children.size());
    for (std::size_t i = 0; i < children.size(); ++i) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
        char buffer[4096];
        for (long n = 0; children[i] && n != os::ChildProcess::kEnded &&
                         std::chrono::steady_clock::now() < deadline;) {
            n = children[i]->Read(buffer, sizeof buffer, 1000);
            finished[i].output.append(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
        }
        if (children[i] && children[i]->WaitForEnd(10000)) {
            finished[i].exitCode = children[i]->ExitCode();
        }
    }
    return finished;
}

TEST(TwentyStations, SendTheirRowsAtOnceAndEachArrivesExactlyOnceInItsOrder) {
    database_test::EmptyTables();
    constexpr int kRows = 40;
    std::vector<std::unique_ptr<test_support::TempFolder>> folders;
    std::vector<std::vector<std::string>> runs;
    for (int s = 0; s < kStations; ++s) {
        const auto& folder = folders.emplace_back(std::make_unique<test_support::TempFolder>());
        const std::string path = folder->Path();
        runs.push_back({"rows", path.substr(0, path.size() - 1), "S" + std::to_string(s),
                        std::to_string(kRows)});
    }
    for (const Finished& run : RunAtOnce(runs)) {
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_NE(run.output.find("delivered"), std::string::npos) << run.output;
    }
    const auto rows = Admin(
        "SELECT station, count(*), count(DISTINCT \"time\"), "
        "bool_and(serial_number = (SELECT count(*) FROM romtool.production_record e "
        "WHERE e.station = r.station AND e.id < r.id)) "
        "FROM romtool.production_record r GROUP BY station ORDER BY station");
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kStations));
    for (const auto& row : rows) {
        EXPECT_EQ(row[1], std::to_string(kRows)) << *row[0];
        EXPECT_EQ(row[2], std::to_string(kRows)) << *row[0];
        EXPECT_EQ(row[3], "1") << *row[0] << ": its rows arrived out of order";
    }
}

TEST(TwentyStations, TakeBlocksAtOnceAndNoNumberIsGivenTwice) {
    database_test::EmptyTables();
    database_test::AddPool("board", 1, 1000000);
    constexpr int kBlocks = 25;
    constexpr int kSize = 7;
    const std::vector<std::vector<std::string>> runs(
        kStations, {"blocks", "board", std::to_string(kSize), std::to_string(kBlocks)});
    std::set<std::uint32_t> numbers;
    for (const Finished& run : RunAtOnce(runs)) {
        EXPECT_EQ(run.exitCode, 0) << run.output;
        std::istringstream lines(run.output);
        std::uint32_t first = 0;
        std::uint32_t last = 0;
        while (lines >> first >> last) {
            EXPECT_EQ(last - first + 1, static_cast<std::uint32_t>(kSize));
            for (std::uint32_t n = first; n <= last; ++n) {
                EXPECT_TRUE(numbers.insert(n).second) << n << " was given twice";
            }
        }
    }
    // Every block was taken from the pool's start on, without a gap.
    EXPECT_EQ(numbers.size(), static_cast<std::size_t>(kStations * kBlocks * kSize));
    EXPECT_EQ(*numbers.rbegin(), static_cast<std::uint32_t>(kStations * kBlocks * kSize));
    EXPECT_EQ(Admin("SELECT next_number FROM romtool.serial_pool")[0][0],
              std::to_string(kStations * kBlocks * kSize + 1));
}

}  // namespace
