// Desktop tests of the recording of the user's input and of the editor's global hotkeys on X11: synthetic
// keys, buttons and motion (XTest, as a device would send them) come out of the recording in order, with the
// virtual keys KBD uses, the places of the buttons and times that never go back; a Ctrl+Shift+F8 hotkey takes
// exactly that key while grabbed and leaves every other key to the focused window.
#include "desktop_test_support.h"
#include "recorded_input_buffer.h"
#include "stop_hotkey.h"

#include <X11/keysym.h>

#include <algorithm>

using namespace desktop_testing;

namespace {

using Kind = RecordedInput::Kind;

class Recording {
  public:
    explicit Recording(DesktopPlatform& desktop) : recording_(desktop.StartInputRecording()) {}
    bool Started() const { return recording_ != nullptr; }
    // Takes events until the condition holds on all taken so far.
    bool TakeUntil(const std::function<bool(const std::vector<RecordedInput>&)>& condition) {
        return WaitUntil([&] {
            recording_->Take(events);
            return condition(events);
        });
    }
    bool TakeUntilSeen(Kind kind, int32_t code) {
        return TakeUntil([&](const std::vector<RecordedInput>& all) {
            return std::any_of(all.begin(), all.end(),
                               [&](const RecordedInput& e) { return e.kind == kind && e.code == code; });
        });
    }
    bool TakeUntilMotionTo(int x, int y) {
        return TakeUntil([&](const std::vector<RecordedInput>& all) {
            return !all.empty() && all.back().kind == Kind::Motion && all.back().x == x && all.back().y == y;
        });
    }
    void Stop() { recording_.reset(); }

    std::vector<RecordedInput> events;

  private:
    std::unique_ptr<InputRecording> recording_;
};

std::string Line(const RecordedInput& e) {
    static const char* const names[] = {"down", "up", "press", "release", "motion"};
    std::string line = names[static_cast<int>(e.kind)];
    if (e.kind != Kind::Motion) line += " " + std::to_string(e.code);
    return line + " " + std::to_string(e.x) + " " + std::to_string(e.y);
}

void MoveTo(Probe& probe, int x, int y) {
    XTestFakeMotionEvent(probe.Get(), DefaultScreen(probe.Get()), x, y, CurrentTime);
    XSync(probe.Get(), False);
}

void Click(Probe& probe, unsigned int button) {
    XTestFakeButtonEvent(probe.Get(), button, True, CurrentTime);
    XTestFakeButtonEvent(probe.Get(), button, False, CurrentTime);
    XSync(probe.Get(), False);
}

} // namespace

TEST(InputRecording, KeysButtonsAndMotionInOrderWithTheirPlacesAndVirtualKeys) {
    // A focused client of ours receives the input, so nothing lands on the window manager's root menus.
    Recorder target("QmRecordTarget", "record target", 500, 400);
    ASSERT_NE(target.Window(), 0u);
    DesktopMacro macro;
    ASSERT_EQ(macro.Eval("SETWIN(" + std::to_string(target.Window()) + ", 50, 50)"), "1");
    const int64_t start = RecordingClockMilliseconds();
    Recording recording(macro.Desktop());
    ASSERT_TRUE(recording.Started());
    Probe probe;

    // Each step waits until the recording has it, so the places are those of the events.
    MoveTo(probe, 100, 120);
    ASSERT_TRUE(recording.TakeUntilMotionTo(100, 120));
    Click(probe, 1);
    ASSERT_TRUE(recording.TakeUntilSeen(Kind::ButtonUp, 1));
    MoveTo(probe, 300, 220);
    ASSERT_TRUE(recording.TakeUntilMotionTo(300, 220));
    Click(probe, 3);
    Click(probe, 2);
    ASSERT_TRUE(recording.TakeUntilSeen(Kind::ButtonUp, 3));
    for (KeySym key : {XK_Shift_L, XK_a}) probe.Key(key, true);
    for (KeySym key : {XK_a, XK_Shift_L, XK_Control_R, XK_1, XK_KP_1, XK_F8}) {
        probe.Key(key, true);
        probe.Key(key, false);
    }
    ASSERT_TRUE(recording.TakeUntilSeen(Kind::KeyUp, 119));
    const int64_t end = RecordingClockMilliseconds();

    std::vector<std::string> pressesAndKeys;
    for (const RecordedInput& e : recording.events)
        if (e.kind != Kind::Motion) pressesAndKeys.push_back(Line(e));
    const std::vector<std::string> expected = {
        "press 1 100 120",   "release 1 100 120", "press 2 300 220", "release 2 300 220", "press 3 300 220",
        "release 3 300 220", "down 160 300 220",  "down 65 300 220", "up 65 300 220",     "up 160 300 220",
        "down 163 300 220",  "up 163 300 220",    "down 49 300 220", "up 49 300 220",     "down 97 300 220",
        "up 97 300 220",     "down 119 300 220",  "up 119 300 220"};
    EXPECT_EQ(pressesAndKeys, expected);
    // The pointer's way: each button's place was reached by a motion before it.
    const auto firstPress = std::find_if(recording.events.begin(), recording.events.end(),
                                         [](const RecordedInput& e) { return e.kind == Kind::ButtonDown; });
    ASSERT_NE(firstPress, recording.events.begin());
    EXPECT_EQ(Line(*(firstPress - 1)), "motion 100 120");
    int64_t previous = start;
    for (const RecordedInput& e : recording.events) {
        EXPECT_GE(e.milliseconds, previous) << Line(e);
        EXPECT_LE(e.milliseconds, end) << Line(e);
        previous = e.milliseconds;
    }

    // Stopping ends the recording at once; a new one starts from nothing and sees only what comes after.
    const auto stopBegins = std::chrono::steady_clock::now();
    recording.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopBegins, std::chrono::seconds(2));
    probe.Key(XK_b, true);
    probe.Key(XK_b, false);
    Recording next(macro.Desktop());
    ASSERT_TRUE(next.Started());
    probe.Key(XK_c, true);
    probe.Key(XK_c, false);
    ASSERT_TRUE(next.TakeUntilSeen(Kind::KeyUp, 'C'));
    std::vector<std::string> keys;
    for (const RecordedInput& e : next.events) keys.push_back(Line(e));
    EXPECT_EQ(keys, (std::vector<std::string>{"down 67 300 220", "up 67 300 220"}));
}

TEST(GlobalHotkey, CtrlShiftF8IsTakenOnlyWhileGrabbedAndOnlyWithThoseModifiers) {
    Recorder target("QmHotkeyTarget", "hotkey target");
    ASSERT_NE(target.Window(), 0u);
    constexpr uint8_t kF8 = 0x77;
    const std::unique_ptr<StopHotkey> hotkey = CreateGlobalHotkey(kF8, kHotkeyControl | kHotkeyShift);
    EXPECT_FALSE(hotkey->TakePressed());
    ASSERT_TRUE(hotkey->Grab());
    EXPECT_TRUE(hotkey->Grab()) << "a second grab is harmless";
    Shell("xdotool key ctrl+shift+F8");
    EXPECT_TRUE(WaitUntil([&] { return hotkey->TakePressed(); }));
    EXPECT_FALSE(hotkey->TakePressed()) << "one press is reported once";

    // Other modifiers, or none, leave the key to the focused window.
    Shell("xdotool key F8 ctrl+F8 alt+shift+F8");
    ASSERT_TRUE(target.WaitForEvents("key press F8", 3));
    EXPECT_FALSE(hotkey->TakePressed());
    // Caps Lock and Num Lock on do not matter.
    for (const std::string lock : {"Caps_Lock", "Num_Lock"}) {
        Shell("xdotool key " + lock);
        Shell("xdotool key ctrl+shift+F8");
        EXPECT_TRUE(WaitUntil([&] { return hotkey->TakePressed(); })) << lock;
        Shell("xdotool key " + lock);
    }
    EXPECT_EQ(target.Events("key press F8").size(), 3u);

    // Held, the combination cannot be taken by another; another combination of the key can.
    const std::unique_ptr<StopHotkey> other = CreateGlobalHotkey(kF8, kHotkeyControl | kHotkeyShift);
    EXPECT_FALSE(other->Grab());
    const std::unique_ptr<StopHotkey> withAlt = CreateGlobalHotkey(kF8, kHotkeyAlt);
    EXPECT_TRUE(withAlt->Grab());
    withAlt->Release();

    hotkey->Release();
    hotkey->Release();
    Shell("xdotool key ctrl+shift+F8");
    ASSERT_TRUE(target.WaitForEvents("key press F8", 4));
    EXPECT_FALSE(hotkey->TakePressed()) << "released, the key is not ours";
    EXPECT_TRUE(other->Grab());
    other->Release();
}

TEST(GlobalHotkey, TheStopKeyTakesPauseWithAnyModifier) {
    const std::unique_ptr<StopHotkey> stop = CreateStopHotkey();
    ASSERT_TRUE(stop->Grab());
    for (const std::string press : {"Pause", "shift+Pause", "ctrl+alt+Pause"}) {
        Shell("xdotool key " + press);
        EXPECT_TRUE(WaitUntil([&] { return stop->TakePressed(); })) << press;
    }
    stop->Release();
}
