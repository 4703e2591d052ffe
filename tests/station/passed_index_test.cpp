// The indexes of labels and chips that passed at this station: a record file that cannot be read
// for a moment (a share away, a lock) is no file without rows. Nothing is known while it cannot be
// read, and it is read again at the next look.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "record/production_record.h"
#include "station/press/passed_chips.h"
#include "station/press/passed_labels.h"
#include "temp_folder.h"
#include "unreadable_file.h"

using namespace station;

namespace {

TEST(PassedIndexes, AreReadAgainAfterARecordFileCouldNotBeRead) {
    test_support::TempFolder folder;
    record::ProductionRecord row;
    row.time = {2024, 1, 2, 3, 4, 5, 6};
    row.title = "Romtool";
    row.pass = true;
    row.deviceId = "F00DCAFE12345678";
    row.boardLabel = "PCB-OLD";
    folder.Write("2024-01-02.csv", record::CsvHeader() + record::CsvRow(row));
    const std::string passTime = record::RecordTime(row.time);
    PassedLabels labels;
    PassedChips chips;
    const auto look = [&] {
        return std::pair(labels.EarlierPass(folder.Path(), "Romtool", "PCB-OLD"),
                         chips.EarlierPass(folder / "2024-01-02.csv", "Romtool", row.deviceId));
    };
    {
        const UnreadableFile unreadable(folder / "2024-01-02.csv");
        const auto [label, chip] = look();
        EXPECT_EQ(label.time, std::nullopt);
        EXPECT_EQ(label.unreadable, folder / "2024-01-02.csv");
        EXPECT_EQ(chip.time, std::nullopt);
        EXPECT_EQ(chip.unreadable, folder / "2024-01-02.csv");
    }
    const auto [label, chip] = look();
    EXPECT_EQ(label.time, passTime);
    EXPECT_EQ(label.unreadable, "");
    EXPECT_EQ(chip.time, passTime);
    EXPECT_EQ(chip.unreadable, "");
}

}  // namespace
