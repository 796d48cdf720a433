// KDE's keyboard configuration as KWin reads it: the first layout and variant of the [Layout] group's lists,
// nothing when the layouts are switched off or not set.
#include "kde_keyboard_layout.h"

#include <gtest/gtest.h>

TEST(KdeKeyboardLayout, TheFirstLayoutOfTheListWithItsVariant) {
    std::string layout;
    std::string variant;
    ASSERT_TRUE(
        KxkbrcLayout("[$Version]\nupdate_info=kxkb.upd:remove-empty-lists\n\n[Layout]\nDisplayNames=,\n"
                     "LayoutList=de,us\nUse=true\nVariantList=nodeadkeys,\n",
                     layout, variant));
    EXPECT_EQ(layout, "de");
    EXPECT_EQ(variant, "nodeadkeys");
    ASSERT_TRUE(KxkbrcLayout("[Layout]\r\nLayoutList = jp \r\n", layout, variant));
    EXPECT_EQ(layout, "jp");
    EXPECT_EQ(variant, "");
}

TEST(KdeKeyboardLayout, NoLayoutWhenSwitchedOffUnsetOrInAnotherGroup) {
    std::string layout = "kept";
    std::string variant;
    EXPECT_FALSE(KxkbrcLayout("[Layout]\nLayoutList=fr\nUse=false\n", layout, variant));
    EXPECT_FALSE(KxkbrcLayout("[Layout]\nLayoutList=\nUse=true\n", layout, variant));
    EXPECT_FALSE(KxkbrcLayout("[Other]\nLayoutList=fr\n[Layout]\nUse=true\n", layout, variant));
    EXPECT_FALSE(KxkbrcLayout("", layout, variant));
    EXPECT_EQ(layout, "kept");
}
