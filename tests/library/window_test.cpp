// Tests of GETWINID, SETWIN and CTRLWIN against a recording desktop: the search arguments, the placement
// rules of SETWIN with their results and the mouse origin they leave, and the command pass-through.
#include "library_state.h"
#include "library_test_support.h"
#include "recording_desktop.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

class Windows : public ::testing::Test {
  protected:
    void SetUp() override {
        LibraryState::ResetForRunFromTop();
        LibraryState::OriginX = 0;
        LibraryState::OriginY = 0;
        desktop.windows[11] = {u"XTerm", u"shell one", {1, 10, 20, 410, 320}};
        desktop.windows[12] = {u"XTerm", u"shell two", {2, 0, 0, 100, 100}};
        desktop.windows[13] = {u"Editor", u"", {3, 0, 0, 1280, 1000}};
    }
    void TearDown() override { LibraryState::ResetForRunFromTop(); }
    BuiltinOutcome Call(const std::u16string& name, std::initializer_list<MacroValue> args) {
        return CallBuiltin(name, args, nullptr, &desktop);
    }

    RecordingDesktop desktop;
};

} // namespace

TEST_F(Windows, GetWinIdMatchesClassAndTitle) {
    BuiltinOutcome first = Call(u"GETWINID", {S(u"XTerm")});
    EXPECT_EQ(first.result.Kind(), ValueKind::Int32);
    EXPECT_EQ(first.Text(), "11");
    EXPECT_EQ(Call(u"GETWINID", {S(u"XTerm"), S(u"shell two")}).Text(), "12");
    EXPECT_EQ(Call(u"GETWINID", {S(u"XTerm"), S(u"shell")}).Text(), "0");
    EXPECT_EQ(Call(u"GETWINID", {S(u"NoSuchClass")}).Text(), "0");
    // An empty class asks for an empty class name, not for any window.
    EXPECT_EQ(Call(u"GETWINID", {S(u"")}).Text(), "0");
    // An empty title asks for an empty title.
    EXPECT_EQ(Call(u"GETWINID", {S(u"Editor"), S(u"")}).Text(), "13");
    EXPECT_EQ(Call(u"GETWINID", {}).Info(), "引数の数があいません");
    EXPECT_EQ(Call(u"GETWINID", {S(u"a"), S(u"b"), S(u"c")}).Info(), "引数の数があいません");
}

TEST_F(Windows, SetWinKeepsPlaceAndMakesCornerTheOrigin) {
    BuiltinOutcome r = Call(u"SETWIN", {I(11)});
    EXPECT_EQ(r.Code(), 0);
    EXPECT_EQ(r.result.Kind(), ValueKind::Int16);
    EXPECT_EQ(r.Text(), "1");
    ASSERT_EQ(desktop.Of(DesktopEvent::Move).size(), 1u);
    const DesktopEvent move = desktop.Of(DesktopEvent::Move)[0];
    EXPECT_EQ((std::vector<int32_t>{move.window, move.x, move.y, move.width, move.height}),
              (std::vector<int32_t>{11, 10, 20, 400, 300}));
    EXPECT_TRUE(LibraryState::OriginSet);
    EXPECT_EQ(LibraryState::OriginX, 10);
    EXPECT_EQ(LibraryState::OriginY, 20);
}

TEST_F(Windows, SetWinMovesWithSizeAndOriginFollows) {
    BuiltinOutcome r = Call(u"SETWIN", {I(11), I(100), I(50)});
    EXPECT_EQ(r.Text(), "1");
    const DesktopEvent move = desktop.Of(DesktopEvent::Move).at(0);
    EXPECT_EQ((std::vector<int32_t>{move.x, move.y, move.width, move.height}),
              (std::vector<int32_t>{100, 50, 400, 300}));
    // The next relative MUS starts at the origin.
    desktop.events.clear();
    Call(u"MUS", {I(1), I(0), I(0)});
    ASSERT_EQ(desktop.events.size(), 2u);
    EXPECT_EQ(desktop.events[0].kind, DesktopEvent::Pointer);
    EXPECT_EQ(desktop.events[0].x, 100);
    EXPECT_EQ(desktop.events[0].y, 50);

    desktop.events.clear();
    BuiltinOutcome sized = Call(u"SETWIN", {I(11), I(0), I(0), I(640), I(480)});
    EXPECT_EQ(sized.Code(), 0);
    EXPECT_EQ(sized.result.Kind(), ValueKind::Empty);
    const DesktopEvent resize = desktop.Of(DesktopEvent::Move).at(0);
    EXPECT_EQ((std::vector<int32_t>{resize.x, resize.y, resize.width, resize.height}),
              (std::vector<int32_t>{0, 0, 640, 480}));
}

TEST_F(Windows, SetWinLeavesMinimisedAndMaximisedWindowsAlone) {
    BuiltinOutcome minimised = Call(u"SETWIN", {I(12), I(30), I(40)});
    EXPECT_EQ(minimised.Text(), "0");
    EXPECT_EQ(minimised.result.Kind(), ValueKind::Int16);
    BuiltinOutcome maximised = Call(u"SETWIN", {I(13)});
    EXPECT_EQ(maximised.Text(), "0");
    EXPECT_TRUE(desktop.Of(DesktopEvent::Move).empty());
    // The origin still follows the arguments, and OriginSet is set.
    EXPECT_EQ(LibraryState::OriginX, 30);
    EXPECT_EQ(LibraryState::OriginY, 40);
    EXPECT_TRUE(LibraryState::OriginSet);

    // A handle that names no window: no result, no error, the origin is set.
    LibraryState::OriginSet = false;
    BuiltinOutcome none = Call(u"SETWIN", {I(999)});
    EXPECT_EQ(none.Code(), 0);
    EXPECT_EQ(none.result.Kind(), ValueKind::Empty);
    EXPECT_TRUE(LibraryState::OriginSet);
}

TEST_F(Windows, SetWinWithOutOfRangeOriginStillMovesButSetsNoOrigin) {
    LibraryState::OriginX = 7;
    BuiltinOutcome r = Call(u"SETWIN", {I(11), I(40000), I(5)});
    EXPECT_EQ(r.Code(), 7);
    EXPECT_EQ(r.Sub(), 6);
    EXPECT_FALSE(LibraryState::OriginSet);
    EXPECT_EQ(LibraryState::OriginX, 7);
    EXPECT_EQ(LibraryState::OriginY, 5);
    const DesktopEvent move = desktop.Of(DesktopEvent::Move).at(0);
    EXPECT_EQ((std::vector<int32_t>{move.x, move.y, move.width}), (std::vector<int32_t>{7, 5, 400}));

    for (auto args : {std::initializer_list<MacroValue>{I(11), I(1)}, {I(11), I(1), I(2), I(3)}, {}}) {
        BuiltinOutcome count = Call(u"SETWIN", args);
        EXPECT_EQ(count.Code(), 7);
        EXPECT_EQ(count.Info(), "引数の数があいません");
    }
}

TEST_F(Windows, CtrlWinPassesAnyCommandAndReturnsTheAnswer) {
    desktop.commandAnswer = 0;
    BuiltinOutcome max = Call(u"CTRLWIN", {I(11), I(61488)});
    EXPECT_EQ(max.Code(), 0);
    EXPECT_EQ(max.result.Kind(), ValueKind::Int32);
    EXPECT_EQ(max.Text(), "0");
    desktop.commandAnswer = 5;
    EXPECT_EQ(Call(u"CTRLWIN", {I(11), I(12345)}).Text(), "5");
    const auto commands = desktop.Of(DesktopEvent::Command);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].code, 61488u);
    EXPECT_EQ(commands[1].code, 12345u);
    EXPECT_EQ(Call(u"CTRLWIN", {I(11)}).Info(), "引数の数があいません");

    // Through a macro with the named constants.
    MacroOutcome m = RunMacro(Lines({u"DIM w", u"w = GETWINID(\"XTerm\", \"shell one\")",
                                     u"PRINT CTRLWIN(w, MIN)", u"PRINT SETWIN(w, 5, 6)"}),
                              nullptr, &desktop);
    EXPECT_EQ(m.code, 0) << m.info;
    EXPECT_EQ(m.printed, (std::vector<std::string>{"5", "1"}));
    EXPECT_EQ(desktop.Of(DesktopEvent::Command).back().code, 61472u);
}

TEST_F(Windows, WithoutDisplayTheWindowFunctionsRefuse) {
    desktop.display = false;
    EXPECT_EQ(Call(u"GETWINID", {S(u"XTerm")}).Info(),
              "画面が使用できないため、この関数は実行できません - GETWINID");
    EXPECT_EQ(Call(u"SETWIN", {I(11)}).Code(), 7);
    EXPECT_EQ(Call(u"CTRLWIN", {I(11), I(61488)}).Code(), 7);
    EXPECT_FALSE(LibraryState::OriginSet);
    EXPECT_TRUE(desktop.events.empty());
    // No platform at all behaves the same.
    EXPECT_EQ(CallBuiltin(u"SETWIN", {I(11)}).Code(), 7);
}

// A desktop that drives keys but shows no windows to other programs (GNOME without our extension): the
// window functions fail with code 7 and the desktop's reason, touching nothing, while keys still go out.
TEST_F(Windows, DesktopWithoutWindowsGivesItsReason) {
    desktop.unavailable[DesktopPart::Windows] = u"ウィンドウを操作できません";
    for (const char16_t* name : {u"GETWINID", u"SETWIN", u"CTRLWIN"}) {
        BuiltinOutcome r = name == std::u16string(u"GETWINID") ? Call(name, {S(u"XTerm")})
                           : name == std::u16string(u"SETWIN") ? Call(name, {I(11)})
                                                                 : Call(name, {I(11), I(0xF030)});
        EXPECT_EQ(r.Code(), 7) << U8(name);
        EXPECT_EQ(r.Info(), "ウィンドウを操作できません - " + U8(name));
    }
    EXPECT_TRUE(desktop.Of(DesktopEvent::Move).empty());
    EXPECT_TRUE(desktop.Of(DesktopEvent::Command).empty());
    EXPECT_EQ(Call(u"KBD", {I(0x41), I(0)}).Code(), 0);
    EXPECT_EQ(desktop.Of(DesktopEvent::Key).size(), 2u); // a press: down and up
}
