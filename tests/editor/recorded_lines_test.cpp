// The recorder's lines from recorded events: presses and held keys, clicks and drags with a thinned path,
// pauses as WAIT, absolute and relative positions, the stop key left out and nothing left held.
#include "recorded_lines.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Kind = RecordedInput::Kind;

RecordedInput Key(Kind kind, int32_t key, int64_t time, int32_t x = 0, int32_t y = 0) {
    return RecordedInput{kind, key, x, y, time};
}
RecordedInput Button(Kind kind, int32_t button, int32_t x, int32_t y, int64_t time) {
    return RecordedInput{kind, button, x, y, time};
}
RecordedInput Move(int32_t x, int32_t y, int64_t time) {
    return RecordedInput{Kind::Motion, 0, x, y, time};
}

RecordingOptions Absolute() {
    RecordingOptions options;
    options.primaryMonitor = {0, 0, 1280, 1024};
    return options;
}

// The lines as one text, so a failure shows them readably.
std::string Text(const QStringList& lines) {
    return lines.join(QStringLiteral(" | ")).toStdString();
}

constexpr int32_t kA = 0x41;
constexpr int32_t kLeftShift = 0xA0;
constexpr int32_t kPause = 0x13;

} // namespace

TEST(RecordedLines, KeysArePressesOrHeldKeysAndPausesAreWaits) {
    RecordingOptions options = Absolute();
    options.ignoredKeys = {kPause};
    const std::vector<RecordedInput> events = {
        Key(Kind::KeyDown, kLeftShift, 1000),
        Key(Kind::KeyDown, kA, 1050),
        Key(Kind::KeyDown, kA, 1080), // auto-repeat
        Key(Kind::KeyUp, kA, 1100),
        Key(Kind::KeyUp, kLeftShift, 1120),
        Key(Kind::KeyDown, kA, 2000), // held long: down and up
        Key(Kind::KeyUp, kA, 3000),
        Key(Kind::KeyDown, kPause, 3500), // the stop key is never written
        Key(Kind::KeyUp, kPause, 3550),
    };
    EXPECT_EQ(Text(RecordedMacroLines(events, options)),
              "MUSORG 1 | KBD VK_SHIFT,DOWN | KBD VK_A,PRESS | KBD VK_SHIFT,UP | WAIT 880 | KBD VK_A,DOWN | "
              "WAIT 1000 | KBD VK_A,UP");
}

TEST(RecordedLines, ClicksAndDragsInAbsoluteAndRelativePositions) {
    const std::vector<RecordedInput> events = {
        Move(10, 10, 0),
        Move(300, 200, 50),
        Button(Kind::ButtonDown, 1, 640, 512, 100),
        Button(Kind::ButtonUp, 1, 641, 512, 150), // within the click tolerance
        Button(Kind::ButtonDown, 2, 100, 100, 160),
        Button(Kind::ButtonUp, 2, 100, 100, 170),
        Button(Kind::ButtonDown, 1, 100, 100, 180), // a drag to the right, its path thinned
        Move(110, 100, 190),
        Move(130, 100, 200),
        Move(140, 100, 210),
        Move(160, 100, 220),
        Button(Kind::ButtonUp, 1, 165, 100, 230),
    };
    EXPECT_EQ(Text(RecordedMacroLines(events, Absolute())),
              "MUSORG 1 | MUS LEFTPRESS,32794,32800 ' (640, 512) | MUS RIGHTPRESS,5124,6407 ' (100, 100) | "
              "MUS LEFTDOWN,5124,6407 ' (100, 100) | MUS MOVE,6662,6407 ' (130, 100) | "
              "MUS MOVE,8199,6407 ' (160, 100) | MUS LEFTUP,8455,6407 ' (165, 100)");

    // Relative: each position is the motion from the previous one, the first from where the pointer was;
    // the comment still names the pixel the pointer goes to.
    RecordingOptions relative = Absolute();
    relative.absolute = false;
    EXPECT_EQ(Text(RecordedMacroLines(events, relative)),
              "MUSORG 0 | MUS LEFTPRESS,630,502 ' (640, 512) | MUS RIGHTPRESS,-540,-412 ' (100, 100) | "
              "MUS LEFTDOWN,0,0 ' (100, 100) | MUS MOVE,30,0 ' (130, 100) | MUS MOVE,30,0 ' (160, 100) | "
              "MUS LEFTUP,5,0 ' (165, 100)");
}

// With the primary monitor on the right of another, positions count from its corner, and a click on the
// other monitor is written left of the absolute space, unclamped, so it replays where it was.
TEST(RecordedLines, AbsolutePositionsAreOverThePrimaryMonitor) {
    RecordingOptions options;
    options.primaryMonitor = {1280, 0, 1920, 1080};
    const std::vector<RecordedInput> events = {
        Button(Kind::ButtonDown, 1, 2000, 500, 0),
        Button(Kind::ButtonUp, 1, 2000, 500, 10),
        Button(Kind::ButtonDown, 1, 500, 300, 20),
        Button(Kind::ButtonUp, 1, 500, 300, 30),
    };
    EXPECT_EQ(Text(RecordedMacroLines(events, options)),
              "MUSORG 1 | MUS LEFTPRESS,24589,30369 ' (2000, 500) | MUS LEFTPRESS,-26624,18222 ' (500, 300)");
}

TEST(RecordedLines, WhatIsStillHeldAtTheEndIsReleased) {
    const std::vector<RecordedInput> events = {
        Key(Kind::KeyUp, kA, 0), // went down before the recording: nothing to write
        Key(Kind::KeyDown, 0x11, 10),
        Button(Kind::ButtonDown, 3, 20, 30, 20),
        Move(200, 30, 40),
    };
    RecordingOptions options = Absolute();
    options.absolute = false;
    EXPECT_EQ(
        Text(RecordedMacroLines(events, options)),
        "MUSORG 0 | KBD VK_CONTROL,DOWN | MUS MIDDLEDOWN,20,30 ' (20, 30) | MUS MOVE,180,0 ' (200, 30) | "
        "KBD VK_CONTROL,UP | MUS MIDDLEUP,0,0 ' (200, 30)");
    EXPECT_EQ(Text(RecordedMacroLines({}, options)), "MUSORG 0");
}
