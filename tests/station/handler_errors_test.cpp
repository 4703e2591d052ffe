// An error raised inside a handler ends it in the error box; the window goes on working.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <filesystem>

#include "checksum.h"
#include "core_text.h"
#include "os.h"
#include "station_window.h"

namespace {

using HandlerErrors = StationWindowTest;

TEST_F(HandlerErrors, UnreadableImageShowsTheErrorBoxAndStartWorksAgain) {
    auto& station = Station();
    TRomForm& form = Window();
    const std::string image = station.Read("merge.hex");
    // An image that opens but cannot be read: this process's own memory, whose first page is
    // not mapped.
    std::filesystem::remove(std::filesystem::u8path(station.ImagePath()));
    std::filesystem::create_symlink("/proc/self/mem", std::filesystem::u8path(station.ImagePath()));
    QString expected;
    try {
        integrity::FileChecksum(station.ImagePath());
    } catch (const os::FileError& error) {
        expected = FromUtf8(error.what());
    }
    ASSERT_TRUE(expected.startsWith("Cannot ")) << Utf8(expected);
    Click(form.Button_Start);

    ASSERT_EQ(dialogs_->boxes.size(), 1u);
    EXPECT_TRUE(dialogs_->boxes[0].error);
    EXPECT_EQ(dialogs_->boxes[0].title, "Romtool");
    EXPECT_EQ(dialogs_->boxes[0].text, expected + ".");
    EXPECT_EQ(form.Panel_Result->text(), "--");
    EXPECT_TRUE(form.Button_Start->isEnabled());

    std::filesystem::remove(std::filesystem::u8path(station.ImagePath()));
    station.Write("merge.hex", image);
    Click(form.Button_Start);
    EXPECT_EQ(form.Panel_Result->text(), "PASS");
    EXPECT_EQ(dialogs_->boxes.size(), 1u);
}

}  // namespace
