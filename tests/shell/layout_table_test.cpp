// The layout table both windows are built from.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "layout_table.h"

using ::testing::ElementsAre;

namespace {

TEST(LayoutTable, PlacesTheAlignedControlsInTheWindow) {
    const std::vector<Geometry> layout = ResolveLayout(13);
    const auto at = [&](ControlId id) { return InWindow(id, layout); };
    EXPECT_EQ(at(ControlId::GroupBox_Jlink), (Geometry{0, 0, 704, 73}));
    EXPECT_EQ(at(ControlId::GroupBox_Hex), (Geometry{0, 73, 704, 80}));
    EXPECT_EQ(at(ControlId::GroupBox_Para), (Geometry{0, 153, 704, 80}));
    EXPECT_EQ(at(ControlId::GroupBox_Output), (Geometry{0, 233, 704, 208}));
    EXPECT_EQ(at(ControlId::Panel1_Exec), (Geometry{0, 441, 704, 50}));
    // Inside the output group, below its caption: the verdict, then the text area to the end.
    EXPECT_EQ(at(ControlId::Panel_Result), (Geometry{2, 233 + 15, 700, 102}));
    EXPECT_EQ(at(ControlId::Memo_Output), (Geometry{2, 233 + 15 + 102, 700, 208 - 15 - 2 - 102}));
    EXPECT_EQ(at(ControlId::Button_Select), (Geometry{535, 73 + 31, 46, 25}));
    EXPECT_EQ(at(ControlId::Button_Start), (Geometry{277, 441 + 6, 161, 31}));
    EXPECT_EQ(at(ControlId::Label_SN), (Geometry{86, 31, 0, 0}));  // sized to its text
}

TEST(LayoutTable, TabsThroughTheGroupsFromTopToBottom) {
    using Id = ControlId;
    EXPECT_THAT(TabSequence(),
                ElementsAre(Id::Button_GetJlink, Id::Edit_Hex, Id::Button_CRC, Id::Button_Select,
                            Id::Edit_Para, Id::Button_Help, Id::Memo_Output, Id::Button_Start,
                            Id::Button_Exit, Id::cb_erase));
    for (const ControlSpec& entry : kLayout) {
        EXPECT_EQ(&LayoutEntry(entry.id), &entry) << entry.name;
    }
}

}  // namespace
