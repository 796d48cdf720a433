// The pieces of the wlroots session that need no compositor: sway's JSON and tree in focus order, the
// pairing of top-level windows with sway's containers, the keymap with lent keycodes, the pixel formats of
// screen copies, and layout descriptions read back through the XKB rules.
#include "sway_json_values.h"
#include "sway_keyboard_layout.h"
#include "sway_tree.h"
#include "wlroots_keyboard.h"
#include "wlroots_screencopy.h"
#include "wlroots_windows.h"

#include <gtest/gtest.h>
#include <wayland-client-protocol.h>
#include <xkbcommon/xkbcommon.h>

#include <fstream>
#include <sstream>

TEST(SwayJsonParts, MissingMembersAndOtherKindsReadAsEmptyAndBrokenTextAsNull) {
    const rapidjson::Document value = SwayJsonOf(
        R"({"a": [1, -2.5e1, true, null, 9007199254740993], "t": "x\"\u00e9\ud83d\ude00\n", "o": {"k": false},
            "n": 7})");
    ASSERT_TRUE(value.IsObject());
    EXPECT_EQ(SwayItems(value, "/a").Size(), 5u);
    EXPECT_EQ(SwayInteger(value, "/a/1"), -25);
    EXPECT_EQ(SwayInteger(value, "/a/4"), 9007199254740993); // beyond a double's precision
    EXPECT_TRUE(SwayTrue(value, "/a/2"));
    EXPECT_TRUE(SwayAt(value, "/a/3").IsNull());
    EXPECT_EQ(SwayText(value, "/t"), "x\"\xC3\xA9\xF0\x9F\x98\x80\n");
    EXPECT_FALSE(SwayTrue(value, "/o/k"));
    // A missing member, a member of no object and a value of another kind read as empty, never fail.
    EXPECT_TRUE(SwayAt(value, "/missing/deeper").IsNull());
    EXPECT_TRUE(SwayAt(value, "/n/deeper").IsNull());
    EXPECT_EQ(SwayText(value, "/n"), "");
    EXPECT_EQ(SwayInteger(value, "/t", -1), -1);
    EXPECT_FALSE(SwayTrue(value, "/n"));
    EXPECT_EQ(SwayItems(value, "/n").Size(), 0u);
    EXPECT_EQ(SwayItems(value, "/o").Size(), 0u);
    EXPECT_TRUE(SwayJsonOf("{\"a\": [1, 2}").IsNull());
    EXPECT_TRUE(SwayJsonOf("[1] trailing").IsNull());
    EXPECT_TRUE(SwayJsonOf("").IsNull());
    // Titles keep bytes that are not UTF-8, as sway passes them on from Xwayland windows: reading them as
    // broken text would lose every window of the answer.
    EXPECT_EQ(SwayText(SwayJsonOf("{\"name\": \"caf\xE9\"}"), "/name"), "caf\xE9");
    // Nesting far deeper than any tree is read without exhausting the stack.
    const int deep = 1000000;
    EXPECT_TRUE(SwayJsonOf(std::string(deep, '[') + std::string(deep, ']')).IsArray());
}

TEST(SwayTreeParts, WindowsComeMostRecentlyFocusedFirstWithTheirStates) {
    std::string text = R"({"id": 1, "type": "root", "focus": [3, 2], "nodes": [
        {"id": 2, "type": "output", "name": "__i3", "focus": [20], "nodes": [
            {"id": 20, "type": "workspace", "name": "__i3_scratch", "focus": [21], "nodes": [],
             "floating_nodes": [{"id": 21, "type": "floating_con", "shell": "xdg_shell", "app_id": "hidden",
                                 "name": "h", "rect": {"x": 0, "y": 0, "width": 10, "height": 10}}]}]},
        {"id": 3, "type": "output", "name": "HEADLESS-1", "focus": [4], "nodes": [
            {"id": 4, "type": "workspace", "name": "1", "focus": [7, 5, 6], "nodes": [
                {"id": 5, "type": "con", "shell": "xdg_shell", "app_id": "older", "name": "a",
                 "rect": {"x": 0, "y": 0, "width": 640, "height": 800}},
                {"id": 6, "type": "con", "shell": "xwayland", "app_id": null, "name": "LATIN1",
                 "window_properties": {"class": "XTerm"}, "fullscreen_mode": 1,
                 "rect": {"x": 640, "y": 0, "width": 640, "height": 800}}],
             "floating_nodes": [{"id": 7, "type": "floating_con", "shell": "xdg_shell", "app_id": "top",
                                 "name": "t", "focused": true,
                                 "rect": {"x": 100, "y": 75, "width": 500, "height": 275},
                                 "deco_rect": {"x": 100, "y": 50, "width": 500, "height": 25}}]}]}]})";
    // An Xwayland window may name itself in Latin-1; sway passes the bytes on as they are.
    text.replace(text.find("LATIN1"), 6, "caf\xE9");
    const std::vector<SwayView> views = SwayViews(SwayJsonOf(text));
    ASSERT_EQ(views.size(), 4u);
    EXPECT_EQ(views[0].appClass, "top");
    EXPECT_TRUE(views[0].floating);
    EXPECT_TRUE(views[0].focused);
    // The frame takes in the title bar sway puts above the window's rectangle.
    EXPECT_EQ(views[0].rect.left, 100);
    EXPECT_EQ(views[0].rect.top, 50);
    EXPECT_EQ(views[0].rect.height, 300);
    EXPECT_EQ(views[1].appClass, "older");
    EXPECT_EQ(views[2].appClass, "XTerm");
    EXPECT_EQ(views[2].title, "caf\xE9");
    EXPECT_TRUE(views[2].fullscreen);
    EXPECT_EQ(views[3].appClass, "hidden");
    EXPECT_TRUE(views[3].scratchpad);
    EXPECT_FALSE(views[1].scratchpad);
}

TEST(SwayTreeParts, NestingBeyondAnyTreeEndsTheWalkRatherThanTheProgram) {
    // A window beside containers nested far deeper than sway nests them, with a window at the bottom.
    const int deep = 200000;
    std::string text =
        R"({"type": "root", "nodes": [{"type": "con", "shell": "xdg_shell", "app_id": "top"}, )";
    for (int i = 0; i < deep; ++i) text += R"({"type": "con", "nodes": [)";
    text += R"({"type": "con", "shell": "xdg_shell", "app_id": "bottom"})";
    for (int i = 0; i < deep; ++i) text += "]}";
    text += "]}";
    const std::vector<SwayView> views = SwayViews(SwayJsonOf(text));
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(views[0].appClass, "top");
}

TEST(SwayTreeParts, AlikeWindowsPairWithContainersInTheOrderTheyOpened) {
    WlrootsToplevel first;
    first.id = 1;
    first.appId = "foot";
    first.title = "t";
    WlrootsToplevel second = first;
    second.id = 2;
    WlrootsToplevel other;
    other.id = 3;
    other.appId = "gedit";
    other.title = "doc";
    std::vector<SwayView> views(3);
    views[0].conId = 12;
    views[0].appClass = "foot";
    views[0].title = "t";
    views[1].conId = 9;
    views[1].appClass = "foot";
    views[1].title = "t";
    views[2].conId = 4;
    views[2].appClass = "gedit";
    views[2].title = "other title";
    const std::vector<int> pairs = WlrootsPairWithViews({&second, &other, &first}, views);
    EXPECT_EQ(pairs, (std::vector<int>{0, -1, 1}));
}

TEST(WlrootsKeymapParts, LentKeycodesCarryTheirKeysymsInACompilableKeymap) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_rule_names names{"evdev", "pc105", "us", "", nullptr};
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    ASSERT_NE(keymap, nullptr);
    char* text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
    // Two named keycodes with no symbols on this layout.
    std::vector<xkb_keycode_t> spare;
    for (xkb_keycode_t code = xkb_keymap_max_keycode(keymap); code > 8 && spare.size() < 2; --code)
        if (xkb_keymap_key_get_name(keymap, code) != nullptr &&
            xkb_keymap_num_layouts_for_key(keymap, code) == 0)
            spare.push_back(code);
    ASSERT_EQ(spare.size(), 2u);
    const std::string lent =
        WlrootsKeymapWithLoans(text, {{xkb_keymap_key_get_name(keymap, spare[0]), "EuroSign"},
                                      {xkb_keymap_key_get_name(keymap, spare[1]), "U263A"}});
    free(text);
    xkb_keymap* compiled = xkb_keymap_new_from_string(context, lent.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                                      XKB_KEYMAP_COMPILE_NO_FLAGS);
    ASSERT_NE(compiled, nullptr);
    const xkb_keysym_t* syms = nullptr;
    ASSERT_EQ(xkb_keymap_key_get_syms_by_level(compiled, spare[0], 0, 0, &syms), 1);
    EXPECT_EQ(syms[0], 0x20acu); // EuroSign
    ASSERT_EQ(xkb_keymap_key_get_syms_by_level(compiled, spare[1], 0, 0, &syms), 1);
    EXPECT_EQ(syms[0], 0x100263Au);
    // The layout's own keys are untouched.
    ASSERT_EQ(xkb_keymap_key_get_syms_by_level(compiled, 38, 0, 0, &syms), 1);
    EXPECT_EQ(syms[0], static_cast<xkb_keysym_t>('a'));
    EXPECT_TRUE(WlrootsKeymapWithLoans("xkb_keymap { xkb_keycodes { }; };", {{"I248", "a"}}).empty());
    xkb_keymap_unref(compiled);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
}

TEST(WlrootsScreencopyParts, FormatsOrderAndUpsideDownBuffersBecomeBgra) {
    // 2 × 2 pixels, a stride with padding: top row red then green, bottom row blue then white.
    const uint8_t xrgb[] = {0,   0, 255, 0, 0,   255, 0,   0, 9, 9, 9, 9,
                            255, 0, 0,   0, 255, 255, 255, 0, 9, 9, 9, 9};
    const uint8_t xbgr[] = {255, 0, 0,   0, 0,   255, 0,   0, 9, 9, 9, 9,
                            0,   0, 255, 0, 255, 255, 255, 0, 9, 9, 9, 9};
    auto convert = [](const uint8_t* pixels, uint32_t format, bool inverted) {
        PixelGrid grid;
        grid.width = 3;
        grid.height = 2;
        grid.bgra.assign(3 * 2 * 4, 7);
        EXPECT_TRUE(WlrootsConvertPixels(ShmPicture{pixels, format, 2, 2, 12, inverted},
                                         ScreenRect{0, 0, 2, 2}, ScreenRect{1, 0, 2, 2}, grid));
        return grid.bgra;
    };
    const std::vector<uint8_t> expected = {7, 7, 7, 7, 0,   0, 255, 0, 0,   255, 0,   0,
                                           7, 7, 7, 7, 255, 0, 0,   0, 255, 255, 255, 0};
    EXPECT_EQ(convert(xrgb, WL_SHM_FORMAT_XRGB8888, false), expected);
    EXPECT_EQ(convert(xbgr, WL_SHM_FORMAT_XBGR8888, false), expected);
    const std::vector<uint8_t> flipped = {7, 7, 7, 7, 255, 0, 0,   0, 255, 255, 255, 0,
                                          7, 7, 7, 7, 0,   0, 255, 0, 0,   255, 0,   0};
    EXPECT_EQ(convert(xrgb, WL_SHM_FORMAT_ARGB8888, true), flipped);
    // One pixel of the buffer is copied as it is, counted from the top in a buffer stored bottom first; a
    // whole buffer into one pixel is sampled down; a source outside the buffer and an unknown format are
    // refused.
    PixelGrid one;
    one.width = one.height = 1;
    one.bgra.assign(4, 0);
    const ShmPicture upright{xrgb, WL_SHM_FORMAT_XRGB8888, 2, 2, 12, false};
    EXPECT_TRUE(WlrootsConvertPixels(upright, ScreenRect{1, 1, 1, 1}, ScreenRect{0, 0, 1, 1}, one));
    EXPECT_EQ(one.bgra, (std::vector<uint8_t>{255, 255, 255, 0}));
    EXPECT_TRUE(WlrootsConvertPixels(ShmPicture{xrgb, WL_SHM_FORMAT_XRGB8888, 2, 2, 12, true},
                                     ScreenRect{1, 0, 1, 1}, ScreenRect{0, 0, 1, 1}, one));
    EXPECT_EQ(one.bgra, (std::vector<uint8_t>{255, 255, 255, 0}));
    EXPECT_TRUE(WlrootsConvertPixels(upright, ScreenRect{0, 0, 2, 2}, ScreenRect{0, 0, 1, 1}, one));
    EXPECT_EQ(one.bgra, (std::vector<uint8_t>{0, 0, 255, 0}));
    EXPECT_FALSE(WlrootsConvertPixels(upright, ScreenRect{1, 1, 2, 1}, ScreenRect{0, 0, 1, 1}, one));
    EXPECT_FALSE(WlrootsConvertPixels(ShmPicture{xrgb, WL_SHM_FORMAT_RGB565, 2, 2, 12, false},
                                      ScreenRect{0, 0, 1, 1}, ScreenRect{0, 0, 1, 1}, one));
}

TEST(SwayLayoutParts, DescriptionsLeadBackToLayoutAndVariant) {
    std::ifstream file("/usr/share/X11/xkb/rules/evdev.xml");
    std::stringstream xml;
    xml << file.rdbuf();
    ASSERT_FALSE(xml.str().empty());
    std::string layout;
    std::string variant = "stale";
    ASSERT_TRUE(XkbNamesOfDescription(xml.str(), "German", layout, variant));
    EXPECT_EQ(layout, "de");
    EXPECT_EQ(variant, "");
    ASSERT_TRUE(XkbNamesOfDescription(xml.str(), "German (no dead keys)", layout, variant));
    EXPECT_EQ(layout, "de");
    EXPECT_EQ(variant, "nodeadkeys");
    ASSERT_TRUE(XkbNamesOfDescription(xml.str(), "English (US)", layout, variant));
    EXPECT_EQ(layout, "us");
    EXPECT_FALSE(XkbNamesOfDescription(xml.str(), "Klingon", layout, variant));
}

// Without a physical keyboard sway's keyboards take the configuration's layout: every form of it counts
// (one line, a block, "*", quotes, a list), settings of one named device and comments do not.
TEST(SwayLayoutParts, TheConfigurationGivesTheLayoutOfEveryKeyboard) {
    std::string layout;
    std::string variant;
    EXPECT_TRUE(KeyboardLayoutOfConfig("output * bg #000000 solid_color\ninput type:keyboard xkb_layout de\n",
                                       layout, variant));
    EXPECT_EQ(layout, "de");
    EXPECT_EQ(variant, "");
    EXPECT_TRUE(
        KeyboardLayoutOfConfig("input * {\n  xkb_layout \"fr,us\"\n  xkb_variant oss\n}\n", layout, variant));
    EXPECT_EQ(layout, "fr");
    EXPECT_EQ(variant, "oss");
    layout.clear();
    variant.clear();
    EXPECT_FALSE(KeyboardLayoutOfConfig("input \"1:1:AT_Translated_Set_2_keyboard\" xkb_layout jp\n"
                                        "# input type:keyboard xkb_layout de\n"
                                        "input type:pointer {\n  xkb_layout it\n}\n",
                                        layout, variant));
    EXPECT_TRUE(layout.empty());
    // The later setting wins, as sway applies them in order.
    EXPECT_TRUE(KeyboardLayoutOfConfig(
        "input * xkb_layout us\ninput type:keyboard {\n\txkb_layout gb # UK\n}\n", layout, variant));
    EXPECT_EQ(layout, "gb");
}
