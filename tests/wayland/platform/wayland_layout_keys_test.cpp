// Tests of the keys of the layouts on Wayland: the Linux input codes the layout tables give through the
// keymaps libxkbcommon compiles, the reverse lookup, keysyms, and layouts without a table or a keymap.
#include "wayland_layout_keys.h"

#include <gtest/gtest.h>

#include <xkbcommon/xkbcommon-keysyms.h>

namespace {

// Linux input codes (linux/input-event-codes.h).
constexpr uint32_t kKeyY = 21;
constexpr uint32_t kKeyZ = 44;
constexpr uint32_t kKeyA = 30;
constexpr uint32_t kKeyQ = 16;
constexpr uint32_t kKeyLeftBrace = 26;
constexpr uint32_t kKeyEnter = 28;
constexpr uint32_t kKeyLeftShift = 42;
constexpr uint32_t kKeyRightCtrl = 97;
constexpr uint32_t kKeyUp = 103;
constexpr uint8_t kVkA = 'A';
constexpr uint8_t kVkQ = 'Q';
constexpr uint8_t kVkY = 'Y';
constexpr uint8_t kVkZ = 'Z';
constexpr uint8_t kVkReturn = 0x0D;
constexpr uint8_t kVkShift = 0x10;
constexpr uint8_t kVkUp = 0x26;
constexpr uint8_t kVkRControl = 0xA3;
constexpr uint8_t kVkOem1 = 0xBA;
constexpr uint8_t kVkOem8 = 0xDF;

} // namespace

// The letters move with the layout as on Windows; the common keys, extended ones included, stay put.
TEST(WaylandLayoutKeys, LayoutsPlaceTheCodesOnTheirKeys) {
    const WaylandLayoutKeys us("us", "");
    ASSERT_TRUE(us.Valid());
    EXPECT_EQ(us.EvdevCodeOf(kVkY), kKeyY);
    EXPECT_EQ(us.EvdevCodeOf(kVkZ), kKeyZ);
    EXPECT_EQ(us.EvdevCodeOf(kVkReturn), kKeyEnter);
    EXPECT_EQ(us.EvdevCodeOf(kVkShift), kKeyLeftShift);
    EXPECT_EQ(us.EvdevCodeOf(kVkUp), kKeyUp);
    EXPECT_EQ(us.EvdevCodeOf(kVkRControl), kKeyRightCtrl);
    // The US layout has no key for VK_OEM_8: it types nothing there, as on Windows.
    EXPECT_TRUE(us.HasNoKey(kVkOem8));
    EXPECT_EQ(us.EvdevCodeOf(kVkOem8), 0u);

    const WaylandLayoutKeys de("de", "");
    ASSERT_TRUE(de.Valid());
    EXPECT_EQ(de.EvdevCodeOf(kVkZ), kKeyY);
    EXPECT_EQ(de.EvdevCodeOf(kVkY), kKeyZ);
    EXPECT_EQ(de.EvdevCodeOf(kVkOem1), kKeyLeftBrace); // ü
    EXPECT_EQ(de.EvdevCodeOf(kVkUp), kKeyUp);

    const WaylandLayoutKeys fr("fr", "");
    EXPECT_EQ(fr.EvdevCodeOf(kVkA), kKeyQ);
    EXPECT_EQ(fr.EvdevCodeOf(kVkQ), kKeyA);
}

// The key of a keycode reports the code placed on it, the left and right modifiers by their own codes.
TEST(WaylandLayoutKeys, KeycodesReportTheirCodes) {
    const WaylandLayoutKeys de("de", "");
    EXPECT_EQ(de.VirtualKeyOfKeycode(kKeyY + 8), kVkZ);
    EXPECT_EQ(de.VirtualKeyOfKeycode(kKeyRightCtrl + 8), kVkRControl);
    EXPECT_EQ(de.VirtualKeyOfKeycode(0), 0);
    EXPECT_EQ(de.VirtualKeyOfKeycode(100000), 0);
}

TEST(WaylandLayoutKeys, KeySymsAreFoundAtTheBaseLevel) {
    const WaylandLayoutKeys de("de", "");
    EXPECT_EQ(de.EvdevCodeOfKeySym(XKB_KEY_z), kKeyY);
    EXPECT_EQ(de.EvdevCodeOfKeySym(XKB_KEY_udiaeresis), kKeyLeftBrace);
    // Z sits on the shifted level only: a base-level search does not find it.
    EXPECT_EQ(de.EvdevCodeOfKeySym(XKB_KEY_Z), 0u);
    EXPECT_EQ(de.EvdevCodeOfKeySym(XKB_KEY_Greek_alpha), 0u);
    EXPECT_EQ(de.EvdevCodeOfKeySym(0), 0u);
}

// A layout without a table keeps its letters where its symbols put them and the other scripts' layouts the
// US places; an empty layout is the US one; a layout no keymap exists for places nothing.
TEST(WaylandLayoutKeys, LayoutsWithoutTablesAndUnknownLayouts) {
    const WaylandLayoutKeys russian("ru", "");
    ASSERT_TRUE(russian.Valid());
    EXPECT_EQ(russian.EvdevCodeOf(kVkA), kKeyA);
    EXPECT_EQ(russian.EvdevCodeOf(kVkZ), kKeyZ);
    EXPECT_EQ(russian.EvdevCodeOf(kVkReturn), kKeyEnter);

    const WaylandLayoutKeys unnamed("", "");
    EXPECT_EQ(unnamed.EvdevCodeOf(kVkZ), kKeyZ);

    const WaylandLayoutKeys unknown("no-such-layout", "");
    EXPECT_FALSE(unknown.Valid());
    EXPECT_EQ(unknown.EvdevCodeOf(kVkA), 0u);
    EXPECT_EQ(unknown.EvdevCodeOfKeySym(XKB_KEY_a), 0u);
}
