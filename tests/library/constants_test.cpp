// Tests of the named constants: values and value kinds of each family, the refusal of arguments, and the
// virtual-key table (count, names of the system's own, shared codes, spot checks of Windows codes).
#include "library_test_support.h"
#include "named_constants.h"

#include <gtest/gtest.h>

#include <set>

using namespace testing_support;

TEST(NamedConstants, WindowCommandsAreThirtyTwoBit) {
    for (auto [name, value] : {std::pair{u"MAX", 61488}, {u"MIN", 61472}, {u"NORMAL", 61728}}) {
        BuiltinOutcome r = CallBuiltin(name, {});
        EXPECT_EQ(r.Code(), 0) << U8(name);
        EXPECT_EQ(r.result.Kind(), ValueKind::Int32) << U8(name);
        EXPECT_EQ(r.result.Int32Value(), value) << U8(name);
    }
}

TEST(NamedConstants, KeyAndMouseActionsAreSixteenBit) {
    const std::pair<const char16_t*, int> expected[] = {
        {u"PRESS", 0},       {u"DOWN", 1},      {u"UP", 2},           {u"MOVE", 1},     {u"LEFTDOWN", 2},
        {u"LEFTUP", 4},      {u"LEFTPRESS", 6}, {u"RIGHTDOWN", 8},    {u"RIGHTUP", 16}, {u"RIGHTPRESS", 24},
        {u"MIDDLEDOWN", 32}, {u"MIDDLEUP", 64}, {u"MIDDLEPRESS", 96},
    };
    for (auto [name, value] : expected) {
        BuiltinOutcome r = CallBuiltin(name, {});
        EXPECT_EQ(r.Code(), 0) << U8(name);
        EXPECT_EQ(r.result.Kind(), ValueKind::Int16) << U8(name);
        EXPECT_EQ(r.result.Int16Value(), value) << U8(name);
    }
}

TEST(NamedConstants, AnyArgumentIsRefusedAndClearsThePendingCode) {
    for (const char16_t* name : {u"MAX", u"PRESS", u"LEFTPRESS", u"VK_A"}) {
        BuiltinOutcome r = CallBuiltin(name, {I(1)});
        EXPECT_EQ(r.Code(), 7) << U8(name);
        EXPECT_EQ(r.Info(), "引数の数があいません");
        EXPECT_TRUE(r.result.IsEmpty());
    }
    BuiltinOutcome ok = CallBuiltin(u"VK_A", {});
    EXPECT_EQ(ok.Code(), 0);
    EXPECT_EQ(ok.Info(), "");
}

TEST(NamedConstants, VirtualKeyTable) {
    auto keys = VirtualKeyConstants();
    ASSERT_EQ(keys.size(), 171u);
    std::set<std::u16string_view> unique;
    for (const NamedConstant& k : keys) unique.insert(k.name);
    EXPECT_EQ(unique.size(), 171u);
    EXPECT_EQ(keys.front().name, u"VK_A");
    EXPECT_EQ(keys.back().name, u"VK_ZOOM");

    const std::pair<const char16_t*, int> expected[] = {
        {u"VK_A", 65},
        {u"VK_Z", 90},
        {u"VK_0", 48},
        {u"VK_9", 57},
        {u"VK_ALT", 18},
        {u"VK_MENU", 18},
        {u"VK_HANGUL", 21},
        {u"VK_HANGUEL", 21},
        {u"VK_KANA", 21},
        {u"VK_XBUTTON1", 5},
        {u"VK_XBUTTON2", 6},
        {u"VK_RETURN", 13},
        {u"VK_ESCAPE", 27},
        {u"VK_SPACE", 32},
        {u"VK_F1", 112},
        {u"VK_F10", 121},
        {u"VK_F24", 135},
        {u"VK_NUMPAD0", 96},
        {u"VK_NUMPAD9", 105},
        {u"VK_OEM_PLUS", 187},
        {u"VK_OEM_102", 226},
        {u"VK_ZOOM", 251},
        {u"VK_LBUTTON", 1},
        {u"VK_SHIFT", 16},
        {u"VK_CONTROL", 17},
        {u"VK_TAB", 9},
        {u"VK_BACK", 8},
        {u"VK_DELETE", 46},
        {u"VK_LWIN", 91},
        {u"VK_PACKET", 231},
        {u"VK_PROCESSKEY", 229},
        {u"VK_MEDIA_PLAY_PAUSE", 179},
        {u"VK_BROWSER_BACK", 166},
        {u"VK_VOLUME_UP", 175},
        {u"VK_NONAME", 252},
        {u"VK_OEM_CLEAR", 254},
    };
    for (auto [name, value] : expected) {
        BuiltinOutcome r = CallBuiltin(name, {});
        EXPECT_EQ(r.result.Kind(), ValueKind::Int16) << U8(name);
        EXPECT_EQ(r.result.Int16Value(), value) << U8(name);
    }
    // Every key name is answered.
    for (const NamedConstant& k : keys) EXPECT_EQ(CallBuiltin(std::u16string(k.name), {}).Code(), 0);
}
