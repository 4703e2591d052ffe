#include "record/record_columns.h"

#include <gtest/gtest.h>

namespace {

TEST(RecordColumns, TheStationsOrderGrowsOnlyAtItsEnd) {
    EXPECT_EQ(record::HeaderRow(record::kFirstLayoutColumns),
              "time,title,station_folder,probe,image,checksum,erase,verdict,error_code,run_ms,"
              "timed_out,exit_code\r\n");
    EXPECT_EQ(record::HeaderRow(13),
              "time,title,station_folder,probe,image,checksum,erase,verdict,error_code,run_ms,"
              "timed_out,exit_code,probe_serial\r\n");
    EXPECT_EQ(record::HeaderRow(record::kColumnsBeforeBoardLabel),
              "time,title,station_folder,probe,image,checksum,erase,verdict,error_code,run_ms,"
              "timed_out,exit_code,probe_serial,device_id,serial_number,same_chip_as\r\n");
    EXPECT_EQ(record::HeaderRow(17),
              "time,title,station_folder,probe,image,checksum,erase,verdict,error_code,run_ms,"
              "timed_out,exit_code,probe_serial,device_id,serial_number,same_chip_as,"
              "board_label\r\n");
    EXPECT_EQ(record::HeaderRow(19),
              "time,title,station_folder,probe,image,checksum,erase,verdict,error_code,run_ms,"
              "timed_out,exit_code,probe_serial,device_id,serial_number,same_chip_as,"
              "board_label,family,sessions\r\n");
    EXPECT_EQ(record::HeaderRow(),
              "time,title,station_folder,probe,image,checksum,erase,verdict,error_code,run_ms,"
              "timed_out,exit_code,probe_serial,device_id,serial_number,same_chip_as,"
              "board_label,family,sessions,mes_check,fixture\r\n");
}

TEST(RecordColumns, NamesAndIndicesAgree) {
    for (std::size_t i = 0; i < record::kKnownColumns; ++i) {
        const auto column = record::ColumnNamed(record::kColumnNames[i]);
        ASSERT_TRUE(column);
        EXPECT_EQ(record::IndexOf(*column), i);
    }
    EXPECT_EQ(record::NameOf(record::Column::kDeviceId), "device_id");
    EXPECT_EQ(record::NameOf(record::Column::kSerialNumber), "serial_number");
    EXPECT_FALSE(record::ColumnNamed("Time"));
    EXPECT_FALSE(record::ColumnNamed("operator"));
}

}  // namespace
