// Tests of what the Windows desktop gives the editor's aids (Wine on the build machine): the window at a
// point with the names FindWindow matches and its window rectangle, region captures cut out of the whole
// capture, a recording of keys, buttons and motion sent through the system's input queue, and the
// Ctrl+Shift+F8 hotkey.
#include "../region_capture_check.h"
#include "recorded_input_buffer.h"
#include "stop_hotkey.h"
#include "test_window_picture.h"
#include "win32_desktop_platform.h"
#include "wine_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>

namespace {

using Kind = RecordedInput::Kind;
using WineTest::TestWindow;
using WineTest::WaitUntil;

int32_t HandleNumber(HWND window) {
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(window));
}

void Send(std::initializer_list<INPUT> inputs) {
    std::vector<INPUT> list(inputs);
    SendInput(static_cast<UINT>(list.size()), list.data(), sizeof(INPUT));
}

INPUT Key(WORD key, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    return input;
}

// A mouse event; with a place, a move there in the absolute space first.
INPUT Mouse(DWORD flags, int x = 0, int y = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if ((flags & MOUSEEVENTF_ABSOLUTE) != 0) {
        // The first absolute coordinate that lands on the pixel.
        const int width = GetSystemMetrics(SM_CXSCREEN);
        const int height = GetSystemMetrics(SM_CYSCREEN);
        input.mi.dx = static_cast<LONG>((static_cast<int64_t>(x) * 65536 + width - 1) / width);
        input.mi.dy = static_cast<LONG>((static_cast<int64_t>(y) * 65536 + height - 1) / height);
    }
    return input;
}

std::string Line(const RecordedInput& e) {
    static const char* const names[] = {"down", "up", "press", "release", "motion"};
    std::string line = names[static_cast<int>(e.kind)];
    if (e.kind != Kind::Motion) line += " " + std::to_string(e.code);
    return line + " " + std::to_string(e.x) + " " + std::to_string(e.y);
}

class AidsTest : public ::testing::Test {
  protected:
    std::wstring LogPath(const wchar_t* name = L"window.log") const { return folder_.File(name); }

    bool MoveTo(HWND window, int x, int y, int width, int height) {
        desktop_.MoveWindow(HandleNumber(window), x, y, width, height);
        return WaitUntil([&] {
            RECT rect{};
            return GetWindowRect(window, &rect) && rect.left == x && rect.top == y &&
                   rect.right == x + width && rect.bottom == y + height;
        });
    }

    int32_t WindowAt(int x, int y, int32_t lookedThrough = 0) {
        WindowDescription found;
        return desktop_.TopLevelWindowAtExcept(x, y, lookedThrough, found) ? found.window : 0;
    }

    WineTest::TemporaryFolder folder_;
    Win32DesktopPlatform desktop_;
};

TEST_F(AidsTest, TheWindowAtAPointHasTheNamesFindWindowMatchesAndItsWindowRectangle) {
    TestWindow window(L"Quillon 情報の窓", LogPath());
    ASSERT_NE(window.Handle(), nullptr);
    const int32_t handle = HandleNumber(window.Handle());
    ASSERT_TRUE(window.BringToFront());
    ASSERT_TRUE(MoveTo(window.Handle(), 100, 80, 400, 300));
    for (const auto& [x, y] : {std::pair{100, 80}, {499, 379}, {300, 230}}) {
        WindowDescription found;
        ASSERT_TRUE(desktop_.TopLevelWindowAt(x, y, found)) << x << "," << y;
        EXPECT_EQ(found.window, handle);
        EXPECT_EQ(found.className, u"QuillonTestWindow");
        EXPECT_EQ(found.instanceName, u"");
        EXPECT_EQ(found.title, u"Quillon 情報の窓");
        EXPECT_EQ(found.placement.showState, 1);
        EXPECT_EQ(found.placement.left, 100);
        EXPECT_EQ(found.placement.top, 80);
        EXPECT_EQ(found.placement.right, 500);
        EXPECT_EQ(found.placement.bottom, 380);
        EXPECT_EQ(desktop_.FindTopLevelWindow(found.className, &found.title), handle);
    }
    EXPECT_NE(WindowAt(99, 80), handle);
    EXPECT_NE(WindowAt(500, 380), handle);

    // Of two overlapping windows the one in front; either can be looked through.
    TestWindow upper(L"upper", LogPath(L"upper.log"));
    ASSERT_NE(upper.Handle(), nullptr);
    const int32_t upperHandle = HandleNumber(upper.Handle());
    ASSERT_TRUE(MoveTo(upper.Handle(), 200, 150, 300, 200));
    ASSERT_TRUE(upper.BringToFront());
    EXPECT_EQ(WindowAt(250, 200), upperHandle);
    EXPECT_EQ(WindowAt(150, 100), handle);
    EXPECT_EQ(WindowAt(250, 200, upperHandle), handle);
    EXPECT_EQ(WindowAt(250, 200, handle), upperHandle);

    // Maximised, with the rectangle the window has now.
    desktop_.SendSystemCommand(upperHandle, 0xF030);
    ASSERT_TRUE(WaitUntil([&] { return IsZoomed(upper.Handle()); }));
    WindowDescription found;
    ASSERT_TRUE(desktop_.TopLevelWindowAt(640, 500, found));
    EXPECT_EQ(found.window, upperHandle);
    EXPECT_EQ(found.placement.showState, 3);
    RECT rect{};
    GetWindowRect(upper.Handle(), &rect);
    EXPECT_EQ(found.placement.left, rect.left);
    EXPECT_EQ(found.placement.top, rect.top);
    EXPECT_EQ(found.placement.right, rect.right);
    EXPECT_EQ(found.placement.bottom, rect.bottom);
}

TEST_F(AidsTest, RegionCapturesAreTheWholeCaptureCutOutAndBlackOutsideTheScreen) {
    TestWindow window(L"regions", LogPath());
    ASSERT_TRUE(window.BringToFront());
    const POINT pattern = window.ClientToScreenPoint(TestPicture::kPatternX, TestPicture::kPatternY);
    const POINT block = window.ClientToScreenPoint(TestPicture::kBlockX + 5, TestPicture::kBlockY + 5);
    ASSERT_TRUE(WaitUntil([&] { return desktop_.ReadPixel(block.x, block.y) == 0x0000FF; }));
    PixelGrid whole;
    ASSERT_EQ(desktop_.CaptureScreen(whole), 0);
    const int32_t width = whole.width;
    const int32_t height = whole.height;
    struct Region {
        int32_t left, top, width, height;
    };
    const Region regions[] = {{pattern.x + 3, pattern.y + 2, 15, 15},
                              {0, 0, width, height},
                              {-7, -3, 15, 15},
                              {width - 8, height - 4, 15, 15},
                              {-10, -10, width + 20, height + 20}};
    for (const Region& r : regions) {
        PixelGrid region;
        ASSERT_EQ(desktop_.CaptureRegion(r.left, r.top, r.width, r.height, region), 0);
        ASSERT_EQ(region.width, r.width);
        ASSERT_EQ(region.height, r.height);
        const int mismatches = RegionMismatches(whole, region, r.left, r.top);
        EXPECT_EQ(mismatches, 0) << r.left << "," << r.top << " " << r.width << "x" << r.height;
    }
    PixelGrid untouched;
    for (const Region& r : {Region{0, 0, 0, 10}, Region{5, 5, -3, 4}, Region{0, 0, width * 3, height * 3},
                            Region{0, 0, INT32_MAX, 2}})
        EXPECT_EQ(desktop_.CaptureRegion(r.left, r.top, r.width, r.height, untouched), 5) << r.width;
    EXPECT_EQ(untouched.width, 0);
}

TEST_F(AidsTest, TheRecordingSeesSentKeysButtonsAndMotionInOrder) {
    TestWindow window(L"recording", LogPath());
    ASSERT_TRUE(window.BringToFront());
    const POINT a = window.ClientToScreenPoint(30, 40);
    const POINT b = window.ClientToScreenPoint(200, 150);
    const int64_t start = RecordingClockMilliseconds();
    std::unique_ptr<InputRecording> recording = desktop_.StartInputRecording();
    ASSERT_TRUE(recording);
    std::vector<RecordedInput> events;
    const auto takeUntil = [&](const std::function<bool(const RecordedInput&)>& wanted) {
        return WaitUntil([&] {
            recording->Take(events);
            return std::any_of(events.begin(), events.end(), wanted);
        });
    };
    const auto motionTo = [](POINT p) {
        return [p](const RecordedInput& e) { return e.kind == Kind::Motion && e.x == p.x && e.y == p.y; };
    };
    Send({Mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, a.x, a.y)});
    ASSERT_TRUE(takeUntil(motionTo(a)));
    Send({Mouse(MOUSEEVENTF_LEFTDOWN), Mouse(MOUSEEVENTF_LEFTUP)});
    Send({Mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, b.x, b.y)});
    ASSERT_TRUE(takeUntil(motionTo(b)));
    Send({Mouse(MOUSEEVENTF_RIGHTDOWN), Mouse(MOUSEEVENTF_RIGHTUP), Mouse(MOUSEEVENTF_MIDDLEDOWN),
          Mouse(MOUSEEVENTF_MIDDLEUP)});
    Send({Key(VK_LSHIFT, true), Key('A', true), Key('A', true), Key('A', false), Key(VK_LSHIFT, false),
          Key(VK_F8, true), Key(VK_F8, false)});
    ASSERT_TRUE(takeUntil([](const RecordedInput& e) { return e.kind == Kind::KeyUp && e.code == VK_F8; }));
    const int64_t end = RecordingClockMilliseconds();

    const std::string at = std::to_string(a.x) + " " + std::to_string(a.y);
    const std::string there = std::to_string(b.x) + " " + std::to_string(b.y);
    std::vector<std::string> pressesAndKeys;
    for (const RecordedInput& e : events)
        if (e.kind != Kind::Motion) pressesAndKeys.push_back(Line(e));
    // The repeated key-down of A is one key held down.
    const std::vector<std::string> expected = {
        "press 1 " + at,    "release 1 " + at,    "press 2 " + there,  "release 2 " + there,
        "press 3 " + there, "release 3 " + there, "down 160 " + there, "down 65 " + there,
        "up 65 " + there,   "up 160 " + there,    "down 119 " + there, "up 119 " + there};
    EXPECT_EQ(pressesAndKeys, expected);
    int64_t previous = start;
    for (const RecordedInput& e : events) {
        EXPECT_GE(e.milliseconds, previous) << Line(e);
        EXPECT_LE(e.milliseconds, end) << Line(e);
        previous = e.milliseconds;
    }

    // Stopping ends the hooks at once; a new recording sees only what comes after its start.
    const auto stopBegins = std::chrono::steady_clock::now();
    recording.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - stopBegins, std::chrono::seconds(2));
    Send({Key('B', true), Key('B', false)});
    WineTest::LetTheDesktopSettle();
    recording = desktop_.StartInputRecording();
    ASSERT_TRUE(recording);
    events.clear();
    Send({Key('C', true), Key('C', false)});
    ASSERT_TRUE(takeUntil([](const RecordedInput& e) { return e.kind == Kind::KeyUp && e.code == 'C'; }));
    // (Under Wine the pointer has gone back to the X pointer's place meanwhile: only the keys are compared.)
    std::vector<std::pair<Kind, int32_t>> keys;
    for (const RecordedInput& e : events) keys.emplace_back(e.kind, e.code);
    EXPECT_EQ(keys, (std::vector<std::pair<Kind, int32_t>>{{Kind::KeyDown, 'C'}, {Kind::KeyUp, 'C'}}));
}

TEST_F(AidsTest, CtrlShiftF8IsTakenOnlyWhileGrabbedAndOnlyWithThoseModifiers) {
    TestWindow window(L"hotkey", LogPath());
    ASSERT_TRUE(window.BringToFront());
    const std::unique_ptr<StopHotkey> hotkey = CreateGlobalHotkey(VK_F8, kHotkeyControl | kHotkeyShift);
    ASSERT_TRUE(hotkey);
    ASSERT_TRUE(hotkey->Grab());
    const auto pressCtrlShiftF8 = [] {
        Send({Key(VK_CONTROL, true), Key(VK_SHIFT, true), Key(VK_F8, true), Key(VK_F8, false),
              Key(VK_SHIFT, false), Key(VK_CONTROL, false)});
    };
    pressCtrlShiftF8();
    EXPECT_TRUE(WaitUntil([&] { return hotkey->TakePressed(); }));
    EXPECT_FALSE(hotkey->TakePressed()) << "one press is reported once";

    // F8 alone reaches the window in front.
    Send({Key(VK_F8, true), Key(VK_F8, false)});
    EXPECT_TRUE(window.WaitForLogLine("key up 119 0"));
    EXPECT_FALSE(hotkey->TakePressed());

    const std::unique_ptr<StopHotkey> other = CreateGlobalHotkey(VK_F8, kHotkeyControl | kHotkeyShift);
    EXPECT_FALSE(other->Grab());
    hotkey->Release();
    pressCtrlShiftF8();
    WineTest::LetTheDesktopSettle();
    EXPECT_FALSE(hotkey->TakePressed()) << "released, the key is not ours";
    EXPECT_TRUE(other->Grab());
    other->Release();
}

} // namespace
