// The stop key on Windows: Pause reaches a running editor from anywhere on the desktop while the key is
// grabbed (whatever window has the focus), and is left to other programs once it is released.
#include "stop_hotkey.h"
#include "wine_test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using WineTest::PressPause;
using WineTest::WaitUntil;

TEST(StopHotkey, PauseIsTakenOnlyWhileGrabbed) {
    const std::unique_ptr<StopHotkey> hotkey = CreateStopHotkey();
    ASSERT_TRUE(hotkey);
    EXPECT_FALSE(hotkey->TakePressed());

    ASSERT_TRUE(hotkey->Grab());
    EXPECT_TRUE(hotkey->Grab()) << "a second grab is harmless";
    PressPause();
    EXPECT_TRUE(WaitUntil([&] { return hotkey->TakePressed(); }));
    EXPECT_FALSE(hotkey->TakePressed()) << "one press is reported once";

    // A second hotkey object (another editor) cannot take the key while the first holds it.
    const std::unique_ptr<StopHotkey> other = CreateStopHotkey();
    EXPECT_FALSE(other->Grab());

    hotkey->Release();
    hotkey->Release();
    PressPause();
    WineTest::LetTheDesktopSettle();
    EXPECT_FALSE(hotkey->TakePressed()) << "released, the key is not ours";

    // Given back, the key can be grabbed again, by either.
    EXPECT_TRUE(other->Grab());
    other->Release();
    ASSERT_TRUE(hotkey->Grab());
    PressPause();
    EXPECT_TRUE(WaitUntil([&] { return hotkey->TakePressed(); }));
}

} // namespace
