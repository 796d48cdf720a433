// Tests of the desktop built-ins when the display goes away: a call during which it went away fails with
// code 7 and the lost-connection text whatever it found, every later desktop call fails at once without a
// request, and the built-ins that need no display go on working.
#include "library_state.h"
#include "library_test_support.h"
#include "recording_desktop.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct DesktopCall {
    std::u16string name;
    std::vector<MacroValue> args;
};

// One call of each built-in that drives the display.
std::vector<DesktopCall> DesktopCalls() {
    return {{u"KBD", {I(65)}},
            {u"MUS", {I(1), I(5), I(5)}},
            {u"GETKEYSTATE", {I(65)}},
            {u"GETWINID", {S(u"xterm")}},
            {u"SETWIN", {I(7), I(1), I(2)}},
            {u"CTRLWIN", {I(7), I(3)}},
            {u"FINDIMG", {S(u"a.png")}},
            {u"GETCOLOR", {I(1), I(1)}}};
}

BuiltinOutcome Call(const DesktopCall& call, RecordingDesktop& desktop) {
    BuiltinOutcome out;
    cMoMacro_Token list;
    for (const MacroValue& v : call.args) list.Add(v, ttNumber);
    BuiltinServices services;
    services.desktop = &desktop;
    BuiltinFunction function = StandardBuiltins().Find(call.name);
    if (function == nullptr) return out;
    BuiltinCall builtin{call.name, list, out.result, out.error, services};
    function(builtin);
    return out;
}

std::string LostText(const std::u16string& name) {
    return U8(u"画面との接続が切れたため、この関数は実行できません - " + name);
}

class DisplayLoss : public ::testing::Test {
  protected:
    void SetUp() override { LibraryState::ResetForRunFromTop(); }
    void TearDown() override { LibraryState::ResetForRunFromTop(); }
};

} // namespace

TEST_F(DisplayLoss, ACallDuringWhichTheDisplayWentAwayFails) {
    for (const DesktopCall& call : DesktopCalls()) {
        SCOPED_TRACE(U8(call.name));
        RecordingDesktop desktop;
        desktop.windows[7] = FakeWindow{u"xterm", u"", WindowPlacement{1, 0, 0, 100, 100}};
        desktop.requestsLeft = 0;
        const BuiltinOutcome r = Call(call, desktop);
        EXPECT_TRUE(desktop.lost) << "the call made no request";
        EXPECT_EQ(r.Code(), 7);
        EXPECT_EQ(r.Sub(), 0); // FINDIMG's missing file or GETCOLOR's -1 is not what happened
        EXPECT_EQ(r.Info(), LostText(call.name));
    }
}

TEST_F(DisplayLoss, LaterCallsFailAtOnceWithoutARequest) {
    for (const DesktopCall& call : DesktopCalls()) {
        SCOPED_TRACE(U8(call.name));
        RecordingDesktop desktop;
        desktop.lost = true;
        const BuiltinOutcome r = Call(call, desktop);
        EXPECT_EQ(r.Code(), 7);
        EXPECT_EQ(r.Info(), LostText(call.name));
        EXPECT_TRUE(desktop.events.empty());
        EXPECT_TRUE(desktop.keyStateQueries.empty());
    }
    // Without a display from the start the text stays the one of a missing screen.
    RecordingDesktop none;
    none.display = false;
    const BuiltinOutcome r = Call({u"KBD", {I(65)}}, none);
    EXPECT_EQ(r.Info(), U8(u"画面が使用できないため、この関数は実行できません - KBD"));
}

TEST_F(DisplayLoss, BuiltinsWithoutTheDisplayGoOn) {
    RecordingDesktop desktop;
    desktop.lost = true;
    EXPECT_EQ(Call({u"MID", {S(u"abc"), I(2), I(1)}}, desktop).Code(), 0);
    EXPECT_EQ(Call({u"MUSORG", {I(1)}}, desktop).Code(), 0);
    EXPECT_EQ(Call({u"WAIT", {I(0)}}, desktop).Code(), 0);
}

TEST_F(DisplayLoss, ARunEndsWithTheLostCallsLine) {
    RecordingDesktop desktop;
    cMoMacro macro(nullptr, &desktop);
    macro.SetMacroText(u"DIM c\r\nKBD VK_SHIFT, DOWN\r\nWHILE 1\r\nc = GETCOLOR(1, 1)\r\nWEND\r\n");
    ASSERT_EQ(macro.Error().ErrorCode(), 0);
    desktop.requestsLeft = 1 + 50; // the key, then fifty pixels
    EXPECT_EQ(macro.Run(), 7);
    EXPECT_EQ(macro.Error().ErrorLine(), 4);
    EXPECT_EQ(U8(macro.Error().ErrorInformation()), LostText(u"GETCOLOR"));
}
