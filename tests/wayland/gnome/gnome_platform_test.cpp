// Tests of the GNOME session through the desktop platform itself, on the headless mutter of
// run-with-mutter.sh: key state of held keys and the screen's size; and, without a compositor, the reading
// of GNOME's input-source lists. (What the session costs is measured by bench/desktop_cost.sh.)
#include "desktop_platform_factory.h"
#include "gnome_session_layout.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

bool OnMutter() {
    return std::getenv("QM_MUTTER_PID") != nullptr;
}

} // namespace

TEST(GnomeSourceList, TheFirstXkbSourceGivesLayoutAndVariant) {
    std::string layout;
    std::string variant;
    EXPECT_TRUE(FirstXkbSource("[('xkb', 'de+nodeadkeys'), ('xkb', 'us')]\n", layout, variant));
    EXPECT_EQ(layout, "de");
    EXPECT_EQ(variant, "nodeadkeys");
    // Input methods are passed over; a plain layout has no variant.
    EXPECT_TRUE(FirstXkbSource("[('ibus', 'mozc-jp'), ('xkb', 'jp')]", layout, variant));
    EXPECT_EQ(layout, "jp");
    EXPECT_EQ(variant, "");
    EXPECT_FALSE(FirstXkbSource("@a(ss) []\n", layout, variant));
    EXPECT_FALSE(FirstXkbSource("[('ibus', 'anthy')]", layout, variant));
    EXPECT_FALSE(FirstXkbSource("", layout, variant));
}

TEST(GnomeLive, HeldKeysReportBitFifteenAndTheirOwnPressOnce) {
    if (!OnMutter()) GTEST_SKIP() << "needs run-with-mutter.sh";
    auto platform = CreateDesktopPlatform();
    ASSERT_TRUE(platform->HasDisplay());
    ASSERT_EQ(platform->PartUnavailable(DesktopPart::Input), u"");
    platform->SendKeyEvent(0xA0, 0, 0); // left Shift down
    EXPECT_EQ(platform->AsyncKeyState(0xA0), 0x8001);
    EXPECT_EQ(platform->AsyncKeyState(0xA0), 0x8000);
    EXPECT_EQ(platform->AsyncKeyState(0x10), 0x8001); // either Shift
    EXPECT_EQ(platform->AsyncKeyState(0x41), 0);
    platform->SendKeyEvent(0xA0, DesktopPlatform::kKeyUp, 0);
    EXPECT_EQ(platform->AsyncKeyState(0xA0), 0);
    EXPECT_EQ(platform->AsyncKeyState(0x10), 0);
    EXPECT_FALSE(platform->DisplayLost());
}

TEST(GnomeLive, ScreenSizeAndPrimaryComeFromTheMonitor) {
    if (!OnMutter()) GTEST_SKIP() << "needs run-with-mutter.sh";
    auto platform = CreateDesktopPlatform();
    int32_t width = 0;
    int32_t height = 0;
    platform->ScreenSize(width, height);
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 800);
    ScreenRect primary;
    ASSERT_TRUE(platform->PrimaryMonitor(primary));
    EXPECT_EQ(primary.left, 0);
    EXPECT_EQ(primary.width, 1280);
    EXPECT_EQ(platform->ReadPixel(1280, 0), -1);
}
