// Tests of the keys a desktop holds per virtual-key code: a key is pressed once however many key-downs
// reach it, one key-up lets it go (also for a second code on the same key), and repeats of held keys.
#include "pressed_keys.h"

#include <gtest/gtest.h>

namespace {

constexpr uint8_t kVkShift = 0x10;
constexpr uint8_t kVkLShift = 0xA0;
constexpr uint8_t kVkCapital = 0x14;
constexpr uint8_t kVkLButton = 0x01;
constexpr uint8_t kVkA = 'A';
constexpr uint8_t kVkDown = 0x28;
constexpr uint32_t kLeftShiftKey = 42;
constexpr uint32_t kAKey = 30;

} // namespace

// Shift down twice is one press; one key-up releases it and a second key-up finds nothing to release.
TEST(PressedKeys, AHeldModifierIsPressedOnceAndOneKeyUpLetsItGo) {
    PressedKeys keys;
    EXPECT_EQ(keys.Down(kVkShift, kLeftShiftKey), KeyDownSend::Press);
    EXPECT_EQ(keys.Down(kVkShift, kLeftShiftKey), KeyDownSend::Nothing);
    EXPECT_EQ(keys.KeyOf(kVkShift), kLeftShiftKey);
    EXPECT_EQ(keys.Up(kVkShift), kLeftShiftKey);
    EXPECT_FALSE(keys.IsDown(kVkShift));
    EXPECT_EQ(keys.Up(kVkShift), 0u);
}

// A letter held and pressed again repeats (up and down again), and is still let go by one key-up.
TEST(PressedKeys, AHeldLetterRepeats) {
    PressedKeys keys;
    EXPECT_EQ(keys.Down(kVkA, kAKey), KeyDownSend::Press);
    EXPECT_EQ(keys.Down(kVkA, kAKey), KeyDownSend::ReleasePress);
    EXPECT_EQ(keys.Down(kVkA, kAKey), KeyDownSend::ReleasePress);
    EXPECT_EQ(keys.Up(kVkA), kAKey);
    EXPECT_EQ(keys.Up(kVkA), 0u);
    EXPECT_EQ(keys.Down(kVkA, kAKey), KeyDownSend::Press);
}

// VK_SHIFT and VK_LSHIFT press the same key: it goes down once, and either code's key-up lets it go for
// both, so the end of a run sends no second release.
TEST(PressedKeys, TwoCodesOnOneKeyShareItsPress) {
    PressedKeys keys;
    EXPECT_EQ(keys.Down(kVkShift, kLeftShiftKey), KeyDownSend::Press);
    EXPECT_EQ(keys.Down(kVkLShift, kLeftShiftKey), KeyDownSend::Nothing);
    EXPECT_EQ(keys.Up(kVkLShift), kLeftShiftKey);
    EXPECT_FALSE(keys.IsDown(kVkShift));
    EXPECT_EQ(keys.Up(kVkShift), 0u);
    // A key-up of a code never pressed sends nothing; other keys stay down.
    keys.Down(kVkA, kAKey);
    EXPECT_EQ(keys.Up(kVkShift), 0u);
    EXPECT_TRUE(keys.IsDown(kVkA));
    keys.Forget();
    EXPECT_FALSE(keys.IsDown(kVkA));
}

TEST(PressedKeys, ModifiersLocksAndButtonsDoNotRepeat) {
    EXPECT_FALSE(RepeatsWhileHeld(kVkShift));
    EXPECT_FALSE(RepeatsWhileHeld(kVkLShift));
    EXPECT_FALSE(RepeatsWhileHeld(kVkCapital));
    EXPECT_FALSE(RepeatsWhileHeld(kVkLButton));
    EXPECT_TRUE(RepeatsWhileHeld(kVkA));
    EXPECT_TRUE(RepeatsWhileHeld(kVkDown));
}
