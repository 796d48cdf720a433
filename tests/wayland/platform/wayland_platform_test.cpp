// Tests of the common part of the Wayland platform against a session double: keys of the layout, keysyms
// and buttons, what a key-up releases, key state, mouse flags, pixels, the parts' lazy opening and loss.
#include "wayland_desktop_platform.h"

#include <gtest/gtest.h>

#include <xkbcommon/xkbcommon-keysyms.h>

#include <map>
#include <string>
#include <vector>

namespace {

struct SentEvent {
    std::string kind; // "key", "keysym", "button", "to", "by"
    uint32_t code = 0;
    bool down = false;
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const SentEvent& other) const {
        return kind == other.kind && code == other.code && down == other.down && x == other.x && y == other.y;
    }
};

std::ostream& operator<<(std::ostream& out, const SentEvent& e) {
    return out << e.kind << '(' << e.code << ',' << e.down << ',' << e.x << ',' << e.y << ')';
}

struct SessionLog {
    std::vector<SentEvent> events;
    std::map<std::string, int> opens;
    std::u16string refusal; // what every Open answers
    std::string layout = "us";
    bool lost = false;
};

class DoubleInput final : public CompositorInput {
  public:
    explicit DoubleInput(SessionLog& log) : log_(log) {}
    std::u16string Open() override { return ++log_.opens["input"], log_.refusal; }
    void KeyboardLayout(std::string& layout, std::string& variant) override {
        layout = log_.layout;
        variant.clear();
    }
    void Key(uint32_t code, bool down) override { log_.events.push_back({"key", code, down}); }
    bool KeySym(uint32_t keysym, bool down) override {
        log_.events.push_back({"keysym", keysym, down});
        return true;
    }
    void MoveTo(int32_t x, int32_t y) override { log_.events.push_back({"to", 0, false, x, y}); }
    void MoveBy(int32_t dx, int32_t dy) override { log_.events.push_back({"by", 0, false, dx, dy}); }
    void Button(uint32_t button, bool down) override { log_.events.push_back({"button", button, down}); }

  private:
    SessionLog& log_;
};

// A 1280×800 desktop whose pixel (x, y) has red x % 256, green y % 256 and blue 7.
class DoubleScreen final : public CompositorScreen {
  public:
    explicit DoubleScreen(SessionLog& log) : log_(log) {}
    std::u16string Open() override { return ++log_.opens["screen"], log_.refusal; }
    bool Size(int32_t& width, int32_t& height) override {
        width = 1280;
        height = 800;
        return true;
    }
    bool Primary(ScreenRect& out) override {
        out = ScreenRect{0, 0, 1280, 800};
        return true;
    }
    int Capture(const ScreenRect& rect, PixelGrid& out) override {
        out.width = rect.width;
        out.height = rect.height;
        out.bgra.assign(static_cast<size_t>(rect.width) * static_cast<size_t>(rect.height) * 4, 0);
        for (int32_t y = 0; y < rect.height; ++y)
            for (int32_t x = 0; x < rect.width; ++x) {
                uint8_t* p = out.bgra.data() + (static_cast<size_t>(y) * rect.width + x) * 4;
                p[0] = 7;
                p[1] = static_cast<uint8_t>(rect.top + y);
                p[2] = static_cast<uint8_t>(rect.left + x);
            }
        return 0;
    }

  private:
    SessionLog& log_;
};

class DoubleWindows final : public CompositorWindows {
  public:
    explicit DoubleWindows(SessionLog& log) : log_(log) {}
    std::u16string Open() override { return ++log_.opens["windows"], log_.refusal; }
    int32_t Find(const std::string& className, const std::string*) override {
        return className == "foot" ? 3 : 0;
    }
    bool Placement(int32_t, WindowPlacement&) override { return false; }
    void Move(int32_t, int32_t, int32_t, int32_t, int32_t) override {}
    int32_t Command(int32_t, int32_t) override { return 0; }

  private:
    SessionLog& log_;
};

class DoubleSession final : public CompositorSession {
  public:
    explicit DoubleSession(SessionLog& log) : log_(log), input_(log), screen_(log), windows_(log) {}
    bool Lost() override { return log_.lost; }
    CompositorInput& Input() override { return input_; }
    CompositorScreen& Screen() override { return screen_; }
    CompositorWindows& Windows() override { return windows_; }

  private:
    SessionLog& log_;
    DoubleInput input_;
    DoubleScreen screen_;
    DoubleWindows windows_;
};

constexpr uint32_t kKeyY = 21;
constexpr uint32_t kKeyZ = 44;
constexpr uint32_t kKeyLeftShift = 42;
constexpr uint32_t kButtonLeft = 0x110;
constexpr uint32_t kButtonRight = 0x111;
constexpr uint8_t kVkLButton = 0x01;
constexpr uint8_t kVkShift = 0x10;
constexpr uint8_t kVkRShift = 0xA1;
constexpr uint8_t kVkNumpad5 = 0x65;
constexpr uint8_t kVkF24 = 0x87;
constexpr uint8_t kVkOem8 = 0xDF;

class WaylandPlatform : public ::testing::Test {
  protected:
    SessionLog log;
    WaylandDesktopPlatform desktop{nullptr, std::make_unique<DoubleSession>(log)};

    void Press(uint8_t code) {
        desktop.SendKeyEvent(code, 0, 0);
        desktop.SendKeyEvent(code, DesktopPlatform::kKeyUp, 0);
    }
};

} // namespace

TEST_F(WaylandPlatform, KeysGoToTheLayoutsKeys) {
    log.layout = "de";
    Press('Z');
    Press('Y');
    EXPECT_EQ(log.events,
              (std::vector<SentEvent>{
                  {"key", kKeyY, true}, {"key", kKeyY, false}, {"key", kKeyZ, true}, {"key", kKeyZ, false}}));
    EXPECT_EQ(log.opens["input"], 1); // opened once, on the first key
}

// Codes without a key on the layout take their keysym; a code the layout says has no key types nothing;
// the keypad digits depend on Num Lock, which only the compositor knows, so they go as their keysyms; a
// mouse-button code presses the button.
TEST_F(WaylandPlatform, KeySymsButtonsAndCodesWithoutKeys) {
    Press(kVkF24);
    Press(kVkNumpad5);
    Press(kVkOem8);
    Press(kVkLButton);
    EXPECT_EQ(log.events, (std::vector<SentEvent>{{"keysym", XKB_KEY_F24, true},
                                                  {"keysym", XKB_KEY_F24, false},
                                                  {"keysym", XKB_KEY_KP_5, true},
                                                  {"keysym", XKB_KEY_KP_5, false},
                                                  {"button", kButtonLeft, true},
                                                  {"button", kButtonLeft, false}}));
}

// Only this program's keys are known: bit 15 while held, bit 0 once after its own press, for VK_SHIFT from
// either side. A key-up of a key that is not down sends nothing; the end of a run lets go of every key held.
TEST_F(WaylandPlatform, KeyStateIsWhatThisProgramHolds) {
    EXPECT_EQ(desktop.AsyncKeyState(kVkShift), 0);
    desktop.SendKeyEvent(kVkRShift, 0, 0);
    // The program's own press counts once for each code that reads it, as on X11 and Windows.
    EXPECT_EQ(desktop.AsyncKeyState(kVkRShift), 0x8001);
    EXPECT_EQ(desktop.AsyncKeyState(kVkRShift), 0x8000);
    EXPECT_EQ(desktop.AsyncKeyState(kVkShift), 0x8001);
    EXPECT_EQ(desktop.AsyncKeyState(kVkShift), 0x8000);
    // A second key-down of a key already down is no new press.
    desktop.SendKeyEvent(kVkRShift, 0, 0);
    EXPECT_EQ(desktop.AsyncKeyState(kVkRShift), 0x8000);
    desktop.SendKeyEvent(kVkRShift, DesktopPlatform::kKeyUp, 0);
    EXPECT_EQ(desktop.AsyncKeyState(kVkShift), 0);
    EXPECT_EQ(desktop.AsyncKeyState(kVkRShift), 0);
    // A press and release between two queries leaves bit 0 alone; VK_SHIFT's press counts for VK_LSHIFT.
    Press('A');
    EXPECT_EQ(desktop.AsyncKeyState('A'), 1);
    EXPECT_EQ(desktop.AsyncKeyState('A'), 0);
    Press(kVkShift);
    EXPECT_EQ(desktop.AsyncKeyState(0xA0), 1);
    EXPECT_EQ(desktop.AsyncKeyState(-1), 0);
    EXPECT_EQ(desktop.AsyncKeyState(256), 0);

    log.events.clear();
    desktop.SendKeyEvent('A', DesktopPlatform::kKeyUp, 0);
    EXPECT_TRUE(log.events.empty());

    desktop.SendKeyEvent(kVkShift, 0, 0);
    desktop.SendKeyEvent(kVkF24, 0, 0);
    desktop.SendKeyEvent(kVkLButton, 0, 0);
    log.events.clear();
    desktop.EndOfRun();
    EXPECT_EQ(log.events, (std::vector<SentEvent>{{"button", kButtonLeft, false},
                                                  {"key", kKeyLeftShift, false},
                                                  {"keysym", XKB_KEY_F24, false}}));
    EXPECT_EQ(desktop.AsyncKeyState(kVkShift), 1); // up now, pressed since the last query
}

// The compositor counts every press of a key: Shift down twice reaches it once, so one key-up lets it go
// and the letters after it are small; a held letter pressed again repeats; the end of a run releases the
// held key once.
TEST_F(WaylandPlatform, AKeyDownOfAHeldKeyIsNoSecondPress) {
    desktop.SendKeyEvent(kVkShift, 0, 0);
    desktop.SendKeyEvent(kVkShift, 0, 0);
    desktop.SendKeyEvent(kVkShift, DesktopPlatform::kKeyUp, 0);
    EXPECT_EQ(log.events,
              (std::vector<SentEvent>{{"key", kKeyLeftShift, true}, {"key", kKeyLeftShift, false}}));
    EXPECT_EQ(desktop.AsyncKeyState(kVkShift), 1);

    log.events.clear();
    desktop.SendKeyEvent('Z', 0, 0);
    desktop.SendKeyEvent('Z', 0, 0);
    desktop.SendKeyEvent('Z', DesktopPlatform::kKeyUp, 0);
    desktop.SendKeyEvent('Z', DesktopPlatform::kKeyUp, 0);
    EXPECT_EQ(log.events,
              (std::vector<SentEvent>{
                  {"key", kKeyZ, true}, {"key", kKeyZ, false}, {"key", kKeyZ, true}, {"key", kKeyZ, false}}));

    log.events.clear();
    desktop.SendKeyEvent(kVkShift, 0, 0);
    desktop.SendKeyEvent(0xA0, 0, 0); // VK_LSHIFT: the same key
    desktop.SendKeyEvent(kVkLButton, 0, 0);
    desktop.SendKeyEvent(kVkLButton, 0, 0);
    desktop.EndOfRun();
    EXPECT_EQ(log.events, (std::vector<SentEvent>{{"key", kKeyLeftShift, true},
                                                  {"button", kButtonLeft, true},
                                                  {"button", kButtonLeft, false},
                                                  {"key", kKeyLeftShift, false}}));
}

// A key-up releases what its key-down pressed, even when the layout has changed in between.
TEST_F(WaylandPlatform, KeyUpReleasesWhatWasPressed) {
    log.layout = "de";
    desktop.SendKeyEvent('Z', 0, 0);
    log.layout = "us";
    desktop.SendKeyEvent('Z', DesktopPlatform::kKeyUp, 0);
    EXPECT_EQ(log.events.back(), (SentEvent{"key", kKeyY, false}));
}

// The absolute space spans the primary monitor; relative motions and button bits pass in their order.
TEST_F(WaylandPlatform, MouseFlags) {
    desktop.SendMouseEvent(DesktopPlatform::kMouseMove | DesktopPlatform::kMouseAbsolute, 32768, 65535);
    desktop.SendMouseEvent(
        DesktopPlatform::kMouseMove | DesktopPlatform::kMouseLeftDown | DesktopPlatform::kMouseLeftUp, -5, 3);
    desktop.SendMouseEvent(DesktopPlatform::kMouseRightDown | DesktopPlatform::kMouseRightUp, 100, 100);
    desktop.SetPointerPosition(5000, -20);
    EXPECT_EQ(log.events, (std::vector<SentEvent>{{"to", 0, false, 640, 799},
                                                  {"by", 0, false, -5, 3},
                                                  {"button", kButtonLeft, true},
                                                  {"button", kButtonLeft, false},
                                                  {"button", kButtonRight, true},
                                                  {"button", kButtonRight, false},
                                                  {"to", 0, false, 1279, 0}}));
}

TEST_F(WaylandPlatform, PixelsComeFromTheScreenAsBgr) {
    EXPECT_EQ(desktop.ReadPixel(300, 2), 300 % 256 | (2 << 8) | (7 << 16));
    EXPECT_EQ(desktop.ReadPixel(-1, 0), -1);
    EXPECT_EQ(desktop.ReadPixel(1280, 0), -1);
    EXPECT_EQ(desktop.ReadPixel(0, 800), -1);
    PixelGrid whole;
    ASSERT_EQ(desktop.CaptureScreen(whole), 0);
    EXPECT_EQ(whole.width, 1280);
    EXPECT_EQ(whole.height, 800);
    PixelGrid empty;
    EXPECT_EQ(desktop.CaptureRegion(0, 0, 0, 5, empty), 5);
}

// A part that cannot be opened says why, sends nothing and is asked again next time (the user may allow it
// meanwhile); a part once opened is not opened again.
TEST_F(WaylandPlatform, PartsOpenLazilyAndRefusalsAreRetried) {
    log.refusal = u"許可されていません";
    EXPECT_EQ(desktop.PartUnavailable(DesktopPart::Windows), u"許可されていません");
    desktop.SendKeyEvent('A', 0, 0);
    EXPECT_EQ(desktop.FindTopLevelWindow(u"foot", nullptr), 0);
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(log.opens["input"], 1);
    EXPECT_EQ(log.opens["windows"], 2);
    EXPECT_EQ(log.opens["screen"], 0);

    log.refusal.clear();
    EXPECT_EQ(desktop.FindTopLevelWindow(u"foot", nullptr), 3);
    EXPECT_EQ(desktop.FindTopLevelWindow(u"foot", nullptr), 3);
    EXPECT_EQ(log.opens["windows"], 3);
}

// A compositor gone: no display from then on, nothing sent, and nothing released on the way out.
TEST_F(WaylandPlatform, LostCompositor) {
    desktop.SendKeyEvent('A', 0, 0);
    log.lost = true;
    log.events.clear();
    EXPECT_FALSE(desktop.HasDisplay());
    EXPECT_TRUE(desktop.DisplayLost());
    desktop.SendKeyEvent('B', 0, 0);
    desktop.EndOfRun();
    EXPECT_TRUE(log.events.empty());
}

// Without a session of any compositor kind, every part says the desktop takes no such requests.
TEST(WaylandPlatformWithoutSession, EveryPartSaysWhy) {
    WaylandDesktopPlatform desktop(nullptr, nullptr);
    EXPECT_FALSE(desktop.HasDisplay());
    for (DesktopPart part : {DesktopPart::Input, DesktopPart::Screen, DesktopPart::Windows})
        EXPECT_NE(desktop.PartUnavailable(part).find(u"Wayland"), std::u16string::npos);
}
