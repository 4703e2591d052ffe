// The station's own files of the database's work, read back as written; lines not understood
// are left out, never misread.
#include <gtest/gtest.h>

#include "database/delivery_ledger.h"
#include "database/serial_blocks.h"

namespace {

TEST(StationFiles, TheLedgerReadsBackAsWrittenAndSkipsDamagedLines) {
    const std::string digest(32, 'A');
    database::DeliveryLedger ledger;
    ledger.files["2024-03-05.csv"] = {{48213, 231}, digest};
    ledger.refused.push_back({"2024-03-05.csv", 17, "value too long  for type varchar(255)"});
    const std::string text = ledger.Text("romtool");
    const database::DeliveryLedger back = database::DeliveryLedger::FromText(
        text + "file 2024-03-06.csv 12 x " + digest + "\r\nfile 2024-03-07.csv 12 3 short\r\n" +
        "refused 2024-03-05.csv x why\r\nrefused 2024-03-05.csv\r\n");
    EXPECT_EQ(back.Text("romtool"), text);
}

TEST(StationFiles, SerialBlocksReadBackAsWrittenAndSkipDamagedLines) {
    const std::vector<database::SerialBlock> blocks{{"board", {100100, 100199}},
                                                    {"other", {0, 4294967295u}}};
    const std::string text = database::SerialBlocksText(blocks);
    const auto back = database::SerialBlocksFromText(
        text + "block board 5 4\r\nblock board 1 4294967296\r\nblock board 1 2 3\r\nblock b 1\r\n");
    EXPECT_EQ(database::SerialBlocksText(back), text);
}

}  // namespace
