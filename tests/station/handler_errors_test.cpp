// An error raised inside a handler ends it in the error box; the window goes on working.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "integrity/checksum.h"
#include "platform/files.h"
#include "station_fixture.h"
#include "unreadable_file.h"

namespace {

using HandlerErrors = StationTest;

TEST_F(HandlerErrors, UnreadableImageShowsTheErrorBoxAndStartWorksAgain) {
    auto& station = Station();
    TRomForm& form = Shown();
    std::optional<UnreadableFile> unreadable(station.ImagePath());
    std::string expected;
    try {
        integrity::FileChecksum(station.ImagePath());
    } catch (const os::FileError& error) {
        expected = error.what();
    }
    ASSERT_THAT(expected, ::testing::StartsWith("Cannot "));
    form.Handle(&TRomForm::Button_StartClick);

    ASSERT_EQ(view_.boxes.size(), 1u);
    EXPECT_TRUE(view_.boxes[0].error);
    EXPECT_EQ(view_.boxes[0].title, "Romtool");
    EXPECT_EQ(view_.boxes[0].text, expected + ".");
    EXPECT_EQ(view_.verdict, "--");
    EXPECT_TRUE(view_.startEnabled);

    unreadable.reset();
    form.Handle(&TRomForm::Button_StartClick);
    EXPECT_EQ(view_.verdict, "PASS");
    EXPECT_EQ(view_.boxes.size(), 1u);
}

}  // namespace
