// Tests of the desktop-wide stop key on the test display: a press of Pause sent through the X server reaches
// the grabbing connection, the key is held by one program at a time, and releasing gives it back.
#include "editor_test_support.h"
#include "stop_hotkey.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace editor_testing;

namespace {

void PressPause() {
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Pause")});
}

} // namespace

TEST(StopKey, GrabPressAndRelease) {
    std::unique_ptr<StopHotkey> key = CreateStopHotkey();
    EXPECT_FALSE(key->TakePressed()); // nothing before a grab
    ASSERT_TRUE(key->Grab());
    EXPECT_TRUE(key->Grab()); // twice is harmless
    EXPECT_FALSE(key->TakePressed());
    PressPause();
    EXPECT_TRUE(WaitFor([&] { return key->TakePressed(); }));
    EXPECT_FALSE(key->TakePressed()); // one press is reported once

    // While held, another program cannot take the key; after the release it can.
    std::unique_ptr<StopHotkey> other = CreateStopHotkey();
    EXPECT_FALSE(other->Grab());
    key->Release();
    PressPause();
    QApplication::processEvents();
    EXPECT_FALSE(key->TakePressed());
    EXPECT_TRUE(other->Grab());
    other->Release();
}
