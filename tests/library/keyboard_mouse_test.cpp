// Tests of KBD, MUS, MUSORG and GETKEYSTATE against a recording desktop: the events in their order with their
// flags and extra information, the delays, the failures, and the release of held keys and buttons when a run
// is stopped or fails.
#include "library_state.h"
#include "library_test_support.h"
#include "recording_desktop.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

constexpr uint32_t kUp = DesktopPlatform::kKeyUp;

class KeyboardMouse : public ::testing::Test {
  protected:
    void SetUp() override { ResetState(); }
    void TearDown() override { ResetState(); }
    static void ResetState() {
        LibraryState::ResetForRunFromTop();
        LibraryState::OriginX = 0;
        LibraryState::OriginY = 0;
    }
    BuiltinOutcome Call(const std::u16string& name, std::initializer_list<MacroValue> args) {
        return CallBuiltin(name, args, nullptr, &desktop);
    }
    // The key events as (key, flags, extra) triples.
    std::vector<std::vector<uint32_t>> Keys() const {
        std::vector<std::vector<uint32_t>> out;
        for (const DesktopEvent& e : desktop.Of(DesktopEvent::Key)) out.push_back({e.code, e.flags, e.extra});
        return out;
    }
    // The mouse events as (flags, dx, dy) triples.
    std::vector<std::vector<int64_t>> Mice() const {
        std::vector<std::vector<int64_t>> out;
        for (const DesktopEvent& e : desktop.Of(DesktopEvent::Mouse)) out.push_back({e.code, e.x, e.y});
        return out;
    }

    RecordingDesktop desktop;
};

} // namespace

TEST_F(KeyboardMouse, KbdSendsDownAndUpInTheirOrder) {
    BuiltinOutcome lone = Call(u"KBD", {I(65)});
    EXPECT_EQ(lone.Code(), 0);
    EXPECT_EQ(lone.result.Kind(), ValueKind::Int16);
    EXPECT_EQ(lone.Text(), "0");
    EXPECT_EQ(Keys(), (std::vector<std::vector<uint32_t>>{{65, 0, 0}}));

    desktop.events.clear();
    EXPECT_EQ(Call(u"KBD", {I(65), I(0)}).Code(), 0);
    EXPECT_EQ(Keys(), (std::vector<std::vector<uint32_t>>{{65, 0, 0}, {65, kUp, 10}}));

    desktop.events.clear();
    Call(u"KBD", {I(16), I(1)});
    Call(u"KBD", {I(16), I(2)});
    EXPECT_EQ(Keys(), (std::vector<std::vector<uint32_t>>{{16, 0, 0}, {16, kUp, 0}}));

    desktop.events.clear();
    BuiltinOutcome other = Call(u"KBD", {I(65), I(7)});
    EXPECT_EQ(other.Code(), 0);
    EXPECT_EQ(other.Text(), "0");
    EXPECT_TRUE(desktop.events.empty());
}

TEST_F(KeyboardMouse, KbdDelayComesBeforeTheEvents) {
    const int32_t before = desktop.clock;
    EXPECT_EQ(Call(u"KBD", {I(65), I(2), I(500)}).Code(), 0);
    ASSERT_EQ(desktop.events.size(), 1u);
    EXPECT_GT(desktop.events[0].time - before, 500);
    EXPECT_EQ(Keys(), (std::vector<std::vector<uint32_t>>{{65, kUp, 0}}));
}

TEST_F(KeyboardMouse, KbdFailures) {
    BuiltinOutcome wide = Call(u"KBD", {I(300)});
    EXPECT_EQ(wide.Code(), 7);
    EXPECT_EQ(wide.Sub(), 6);
    EXPECT_EQ(wide.Text(), "0");
    BuiltinOutcome negative = Call(u"KBD", {I(-1), I(0)});
    EXPECT_EQ(negative.Sub(), 6);
    EXPECT_TRUE(desktop.events.empty());

    // A key that is not a number sends key code 0 and then reports the mismatch.
    BuiltinOutcome text = Call(u"KBD", {S(u"abc"), I(0)});
    EXPECT_EQ(text.Code(), 7);
    EXPECT_EQ(text.Sub(), 13);
    EXPECT_EQ(Keys(), (std::vector<std::vector<uint32_t>>{{0, 0, 0}, {0, kUp, 10}}));

    for (auto args : {std::initializer_list<MacroValue>{}, {I(1), I(2), I(3), I(4)}}) {
        BuiltinOutcome count = Call(u"KBD", args);
        EXPECT_EQ(count.Code(), 7);
        EXPECT_EQ(count.Info(), "引数の数があいません");
    }
    // Halves round to the even neighbour: 65.5 is 66.
    desktop.events.clear();
    Call(u"KBD", {D(65.5)});
    EXPECT_EQ(Keys(), (std::vector<std::vector<uint32_t>>{{66, 0, 0}}));
}

TEST_F(KeyboardMouse, MusRelativeActions) {
    EXPECT_EQ(Call(u"MUS", {I(6), I(10), I(0)}).Code(), 0);
    EXPECT_EQ(Mice(), (std::vector<std::vector<int64_t>>{{1, 10, 0}, {2, 10, 0}, {4, 10, 0}}));

    desktop.events.clear();
    Call(u"MUS", {I(24), I(-3), I(4)});
    Call(u"MUS", {I(96), I(0), I(0)});
    Call(u"MUS", {I(1), I(5), I(5)});
    Call(u"MUS", {I(2), I(1), I(1)});
    EXPECT_EQ(Mice(), (std::vector<std::vector<int64_t>>{{1, -3, 4},
                                                         {8, -3, 4},
                                                         {16, -3, 4},
                                                         {1, 0, 0},
                                                         {32, 0, 0},
                                                         {64, 0, 0},
                                                         {1, 5, 5},
                                                         {1, 1, 1},
                                                         {2, 1, 1}}));
    EXPECT_TRUE(desktop.Of(DesktopEvent::Pointer).empty());
}

TEST_F(KeyboardMouse, MusAbsoluteAfterMusOrgAndOriginMove) {
    EXPECT_EQ(Call(u"MUSORG", {I(1)}).Code(), 0);
    EXPECT_EQ(LibraryState::MouseAbsolute, 1);
    Call(u"MUS", {I(1), I(32768), I(32768)});
    EXPECT_EQ(Mice(), (std::vector<std::vector<int64_t>>{{0x8001, 32768, 32768}}));

    desktop.events.clear();
    Call(u"MUSORG", {I(0)});
    LibraryState::OriginSet = true;
    LibraryState::OriginX = 100;
    LibraryState::OriginY = 50;
    const int32_t before = desktop.clock;
    Call(u"MUS", {I(1), I(5), I(5), I(200)});
    ASSERT_EQ(desktop.events.size(), 2u);
    EXPECT_EQ(desktop.events[0].kind, DesktopEvent::Pointer);
    EXPECT_EQ(desktop.events[0].x, 100);
    EXPECT_EQ(desktop.events[0].y, 50);
    // The origin move comes before the delay, the motion after it.
    EXPECT_LE(desktop.events[0].time - before, 7 * 2);
    EXPECT_GT(desktop.events[1].time - before, 200);
    EXPECT_EQ(Mice(), (std::vector<std::vector<int64_t>>{{1, 5, 5}}));
}

TEST_F(KeyboardMouse, MusFailuresStillSend) {
    BuiltinOutcome bad = Call(u"MUS", {I(1), S(u"x"), I(3)});
    EXPECT_EQ(bad.Code(), 7);
    EXPECT_EQ(bad.Sub(), 13);
    EXPECT_EQ(Mice(), (std::vector<std::vector<int64_t>>{{1, 0, 3}}));
    EXPECT_EQ(Call(u"MUS", {I(1), I(2)}).Info(), "引数の数があいません");
    EXPECT_EQ(Call(u"MUS", {I(1), I(2), I(3), I(4), I(5)}).Info(), "引数の数があいません");
}

TEST_F(KeyboardMouse, MusOrgAcceptsOnlyZeroOrOne) {
    Call(u"MUSORG", {I(1)});
    BuiltinOutcome two = Call(u"MUSORG", {I(2)});
    EXPECT_EQ(two.Code(), 7);
    EXPECT_EQ(two.Info(), "引数には0か1を与えてください");
    EXPECT_EQ(two.result.Kind(), ValueKind::Empty);
    EXPECT_EQ(LibraryState::MouseAbsolute, 1);

    BuiltinOutcome text = Call(u"MUSORG", {S(u"absolute")});
    EXPECT_EQ(text.Code(), 7);
    EXPECT_EQ(text.Sub(), 13);
    EXPECT_EQ(LibraryState::MouseAbsolute, 0);
    EXPECT_EQ(Call(u"MUSORG", {}).Info(), "引数の数があいません");
}

TEST_F(KeyboardMouse, GetKeyStateIsOneOnlyForAFreshPress) {
    desktop.keyStates = {{65, 0x8001}, {66, 0x8000}, {67, 0x0001}};
    BuiltinOutcome fresh = Call(u"GETKEYSTATE", {I(65)});
    EXPECT_EQ(fresh.result.Kind(), ValueKind::Int16);
    EXPECT_EQ(fresh.Text(), "1");
    EXPECT_EQ(Call(u"GETKEYSTATE", {I(66)}).Text(), "0");
    EXPECT_EQ(Call(u"GETKEYSTATE", {I(67)}).Text(), "0");
    EXPECT_EQ(Call(u"GETKEYSTATE", {I(68)}).Text(), "0");

    BuiltinOutcome text = Call(u"GETKEYSTATE", {S(u"q")});
    EXPECT_EQ(text.Sub(), 13);
    EXPECT_EQ(text.Text(), "0");
    EXPECT_EQ(desktop.keyStateQueries, (std::vector<int32_t>{65, 66, 67, 68}));
}

TEST_F(KeyboardMouse, WithoutDisplayNothingIsSent) {
    desktop.display = false;
    for (const char16_t* name : {u"KBD", u"MUS", u"GETKEYSTATE"}) {
        BuiltinOutcome r = Call(name, {I(1), I(2), I(3)});
        if (std::u16string(name) == u"GETKEYSTATE") r = Call(name, {I(1)});
        EXPECT_EQ(r.Code(), 7);
        EXPECT_EQ(r.Info(), "画面が使用できないため、この関数は実行できません - " + U8(name));
    }
    // A delay is not waited for when nothing can be sent.
    const int32_t before = desktop.clock;
    Call(u"KBD", {I(65), I(0), I(100000)});
    EXPECT_EQ(desktop.clock, before);
    EXPECT_TRUE(desktop.events.empty());
    // The mouse mode is a flag of the library and needs no screen.
    EXPECT_EQ(Call(u"MUSORG", {I(1)}).Code(), 0);
}

TEST_F(KeyboardMouse, EveryEndOfARunReleasesWhatItHeld) {
    // Shift and the left button are held when the run fails: both go up, the button first.
    MacroOutcome failed = RunMacro(
        Lines({u"KBD VK_SHIFT, DOWN", u"KBD VK_A, PRESS", u"MUS LEFTDOWN, 0, 0", u"x = MID(\"a\", 0)"}),
        nullptr, &desktop);
    EXPECT_EQ(failed.code, 7);
    std::vector<DesktopEvent> tail(desktop.events.end() - 2, desktop.events.end());
    EXPECT_EQ(tail[0].kind, DesktopEvent::Mouse);
    EXPECT_EQ(tail[0].code, DesktopPlatform::kMouseLeftUp);
    EXPECT_EQ(tail[1].kind, DesktopEvent::Key);
    EXPECT_EQ(tail[1].code, 16u);
    EXPECT_EQ(tail[1].flags, kUp);

    // A normal end lets go too: a key left down after the macro has ended would go on modifying the user's
    // own typing.
    desktop.events.clear();
    MacroOutcome normal =
        RunMacro(Lines({u"KBD VK_CONTROL, DOWN", u"MUS RIGHTDOWN, 1, 1"}), nullptr, &desktop);
    EXPECT_EQ(normal.code, 0);
    EXPECT_EQ(Keys(), (std::vector<std::vector<uint32_t>>{{17, 0, 0}, {17, kUp, 0}}));
    EXPECT_EQ(Mice(), (std::vector<std::vector<int64_t>>{{1, 1, 1}, {8, 1, 1}, {16, 0, 0}}));

    // Keys released by the macro itself are not released again.
    desktop.events.clear();
    RunMacro(Lines({u"KBD VK_SHIFT, DOWN", u"KBD VK_SHIFT, UP", u"MUS LEFTPRESS, 0, 0"}), nullptr, &desktop);
    MacroOutcome ended = RunMacro(Lines({u"KBD VK_B", u"KBD VK_B, UP", u"x = 1 / 0"}), nullptr, &desktop);
    EXPECT_NE(ended.code, 0);
    EXPECT_EQ(Keys(),
              (std::vector<std::vector<uint32_t>>{{16, 0, 0}, {16, kUp, 0}, {66, 0, 0}, {66, kUp, 0}}));
}

// A second key-down of a held key goes to the desktop as it is (Windows takes it as a repeat, the other
// desktops make it one too): one key-up lets the key go, and the end of the run releases a key pressed
// twice once.
TEST_F(KeyboardMouse, AKeyPressedTwiceIsReleasedOnce) {
    RunMacro(Lines({u"KBD VK_SHIFT, DOWN", u"KBD VK_SHIFT, DOWN", u"KBD VK_SHIFT, UP", u"KBD VK_A, PRESS"}),
             nullptr, &desktop);
    EXPECT_EQ(Keys(), (std::vector<std::vector<uint32_t>>{
                          {16, 0, 0}, {16, 0, 0}, {16, kUp, 0}, {65, 0, 0}, {65, kUp, 10}}));
    desktop.events.clear();
    RunMacro(Lines({u"KBD VK_SHIFT, DOWN", u"KBD VK_SHIFT, DOWN"}), nullptr, &desktop);
    EXPECT_EQ(Keys(), (std::vector<std::vector<uint32_t>>{{16, 0, 0}, {16, 0, 0}, {16, kUp, 0}}));
}

TEST_F(KeyboardMouse, TheDesktopHearsOfEveryEnd) {
    // Normal end, error and a function run on its own: each is one end.
    RunMacro(Lines({u"KBD VK_A"}), nullptr, &desktop);
    EXPECT_EQ(desktop.endsOfRun, 1);
    RunMacro(Lines({u"x = 1 / 0"}), nullptr, &desktop);
    EXPECT_EQ(desktop.endsOfRun, 2);
    cMoMacro macro(nullptr, &desktop);
    macro.SetSyncRun(true);
    macro.SetMacroText(Lines({u"SUB Hold()", u"KBD VK_B, DOWN", u"END SUB"}));
    ASSERT_EQ(macro.Error().ErrorCode(), 0);
    desktop.events.clear();
    macro.RunFunction(u"Hold");
    EXPECT_EQ(desktop.endsOfRun, 3);
    EXPECT_EQ(Keys(), (std::vector<std::vector<uint32_t>>{{66, 0, 0}, {66, kUp, 0}}));
    EXPECT_FALSE(macro.Held().AnyHeld());
    // An expression evaluated by the host is one step of it: what it presses stays held until a run ends.
    macro.ComputeLine(u"KBD(VK_C, DOWN)");
    EXPECT_EQ(desktop.endsOfRun, 3);
    EXPECT_TRUE(macro.Held().IsKeyHeld(67));
}

TEST_F(KeyboardMouse, StopRequestReleasesHeldKeys) {
    cMoMacro macro(nullptr, &desktop);
    macro.SetSyncRun(true);
    // The stop is asked for from inside the run, as the editor's Stop button does during a wait.
    ScriptedUserInterface ui;
    macro.SetMacroText(Lines({u"KBD VK_LSHIFT, DOWN", u"MUS MIDDLEDOWN, 0, 0", u"WHILE 1", u"WEND"}));
    ASSERT_EQ(macro.Error().ErrorCode(), 0);
    macro.SetSyncRun(false);
    macro.Engine().SetYield([&macro, this] {
        if (desktop.events.size() >= 3) macro.ForceStop();
    });
    EXPECT_EQ(macro.Run(), 100);
    EXPECT_FALSE(macro.Held().AnyHeld());
    ASSERT_GE(desktop.events.size(), 5u);
    const DesktopEvent& buttonUp = desktop.events[desktop.events.size() - 2];
    const DesktopEvent& keyUp = desktop.events.back();
    EXPECT_EQ(buttonUp.code, DesktopPlatform::kMouseMiddleUp);
    EXPECT_EQ(keyUp.code, 160u);
    EXPECT_EQ(keyUp.flags, kUp);
}
