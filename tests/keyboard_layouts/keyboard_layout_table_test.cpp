// Tests of reading a keyboard layout table (directives, comments, line ends, what is refused and where),
// of the placement built from tables, of virtual-key names and of scan codes with their XKB key names.
#include "keyboard_layout_table.h"
#include "scan_code_key_names.h"
#include "virtual_key_names.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

namespace {

KeyboardLayoutTable Read(std::string_view text) {
    KeyboardLayoutTable table;
    std::string error;
    EXPECT_TRUE(ParseKeyboardLayoutTable("t", text, table, error)) << error;
    return table;
}

std::string Refusal(std::string_view text) {
    KeyboardLayoutTable table;
    std::string error;
    EXPECT_FALSE(ParseKeyboardLayoutTable("t", text, table, error)) << text;
    return error;
}

} // namespace

TEST(LayoutTableText, DirectivesKeysCommentsAndLineEnds) {
    const KeyboardLayoutTable table = Read("# heading\r\n"
                                           "layouts de at   # two names\r\n"
                                           "\tvariants nodeadkeys\r\n"
                                           "\r\n"
                                           "VK_Z 15\r\n"
                                           "VK_OEM_1\t1a   # ü\n"
                                           "0xF0 3A\n"
                                           "VK_RCONTROL E01D\n"
                                           "VK_PAUSE e11d45\n"
                                           "VK_OEM_8 -");
    EXPECT_EQ(table.name, "t");
    EXPECT_EQ(table.layouts, (std::vector<std::string>{"de", "at"}));
    EXPECT_EQ(table.variants, (std::vector<std::string>{"nodeadkeys"}));
    ASSERT_EQ(table.keys.size(), 6u);
    const std::vector<std::pair<int, ScanCode>> expected = {{'Z', 0x15},    {0xBA, 0x1A},     {0xF0, 0x3A},
                                                            {0xA3, 0xE01D}, {0x13, 0xE11D45}, {0xDF, 0}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(table.keys[i].virtualKey, expected[i].first) << i;
        EXPECT_EQ(table.keys[i].scanCode, expected[i].second) << i;
    }
    EXPECT_EQ(table.keys[0].line, 5);
    EXPECT_EQ(table.keys[5].line, 10);
}

TEST(LayoutTableText, RefusalsNameTheLine) {
    EXPECT_EQ(Refusal("VK_A 1E\nVK_B\n"), "t:2: expected a virtual-key code and a scan code");
    EXPECT_EQ(Refusal("VK_A 1E 1F\n"), "t:1: expected a virtual-key code and a scan code");
    EXPECT_EQ(Refusal("\n\nVK_SPAM 1E\n"), "t:3: unknown virtual-key code \"VK_SPAM\"");
    EXPECT_EQ(Refusal("VK_A 1E\nVK_A 1F\n"), "t:2: VK_A is listed already on line 1");
    // The same code under two of its names is still the same code.
    EXPECT_EQ(Refusal("VK_KANA 70\nVK_HANGUL F2\n"), "t:2: VK_HANGUL is listed already on line 1");
    EXPECT_EQ(Refusal("VK_A -\nVK_A 1E\n"), "t:2: VK_A is listed already on line 1");
    for (const char* bad : {"VK_A 1G\n", "VK_A 1E0\n", "VK_A E0\n", "VK_A E000\n", "VK_A 00\n",
                            "VK_A E11D46\n", "VK_A 0x1E\n", "VK_A 7F\n"})
        EXPECT_NE(Refusal(bad).find("t:1: unknown scan code"), std::string::npos) << bad;
    EXPECT_EQ(Refusal("layouts\n"), "t:1: one \"layouts\" line with at least one name");
    EXPECT_EQ(Refusal("variants a\nvariants b\n"), "t:2: one \"variants\" line with at least one name");
}

TEST(LayoutTableText, NoKeyIsNotTheSameAsUnlisted) {
    KeyPlacement placement;
    placement.Add(Read("VK_OEM_8 -\nVK_OEM_1 1A\n"));
    EXPECT_TRUE(placement.HasNoKey(0xDF));
    EXPECT_EQ(placement.ScanCodeOf(0xDF), 0u);
    EXPECT_FALSE(placement.HasNoKey(0xBA));
    EXPECT_FALSE(placement.HasNoKey(0xDE));
    EXPECT_FALSE(placement.IsPlaced(0xDE));
}

// A code keeps its first place, so a layout's own lines win over the common ones that follow; a key reports
// the first code placed on it.
TEST(LayoutTableText, FirstPlaceAndFirstReportingCodeWin) {
    KeyPlacement placement;
    placement.Add(Read("VK_Z 15\nVK_Y 2C\nVK_OEM_8 -\n"));
    placement.Add(Read("VK_Y 15\nVK_Z 2C\nVK_OEM_8 29\nVK_LSHIFT 2A\nVK_SHIFT 2A\n"));
    EXPECT_EQ(placement.ScanCodeOf('Z'), 0x15u);
    EXPECT_EQ(placement.ScanCodeOf('Y'), 0x2Cu);
    EXPECT_TRUE(placement.HasNoKey(0xDF));
    EXPECT_EQ(placement.VirtualKeyAt(0x15), 'Z');
    EXPECT_EQ(placement.VirtualKeyAt(0x2C), 'Y');
    EXPECT_EQ(placement.VirtualKeyAt(0x29), 0);
    EXPECT_EQ(placement.ScanCodeOf(0x10), 0x2Au);
    EXPECT_EQ(placement.VirtualKeyAt(0x2A), 0xA0);
    EXPECT_FALSE(placement.Place('Z', 0x2C));
    EXPECT_EQ(placement.ScanCodeOf('Z'), 0x15u);
}

TEST(VirtualKeyNames, NamesAndCodesAgree) {
    EXPECT_EQ(VirtualKeyOfName("VK_A"), 0x41);
    EXPECT_EQ(VirtualKeyOfName("VK_0"), 0x30);
    EXPECT_EQ(VirtualKeyOfName("VK_F1"), 0x70);
    EXPECT_EQ(VirtualKeyOfName("VK_F24"), 0x87);
    EXPECT_EQ(VirtualKeyOfName("VK_NUMPAD9"), 0x69);
    EXPECT_EQ(VirtualKeyOfName("VK_OEM_102"), 0xE2);
    EXPECT_EQ(VirtualKeyOfName("VK_DBE_DBCSCHAR"), 0xF4);
    EXPECT_EQ(VirtualKeyOfName("VK_OEM_ENLW"), 0xF4);
    EXPECT_EQ(VirtualKeyOfName("0xc1"), 0xC1);
    for (const char* bad :
         {"VK_F0", "VK_F25", "VK_F01", "VK_NUMPAD10", "VK_a", "vk_A", "0xG1", "0x1", "VK_", ""})
        EXPECT_EQ(VirtualKeyOfName(bad), -1) << bad;
    // Every code reads back from the name it is given.
    for (int code = 1; code < 256; ++code)
        EXPECT_EQ(VirtualKeyOfName(VirtualKeyName(static_cast<uint8_t>(code))), code) << code;
    EXPECT_EQ(VirtualKeyName(0xF4), "VK_DBE_DBCSCHAR");
    EXPECT_EQ(VirtualKeyName(0x07), "0x07");
}

TEST(ScanCodes, TextAndKeyNames) {
    EXPECT_EQ(ParseScanCode("1e"), 0x1Eu);
    EXPECT_EQ(ParseScanCode("E05B"), 0xE05Bu);
    EXPECT_EQ(ParseScanCode("E11D45"), 0xE11D45u);
    EXPECT_EQ(ScanCodeText(0x1E), "1E");
    EXPECT_EQ(ScanCodeText(0xE05B), "E05B");
    EXPECT_EQ(ScanCodeText(0xE11D45), "E11D45");
    EXPECT_EQ(XkbKeyNameOfScanCode(0x29), "TLDE");
    EXPECT_EQ(XkbKeyNameOfScanCode(0x73), "AB11");
    EXPECT_EQ(XkbKeyNameOfScanCode(0x7D), "AE13");
    EXPECT_EQ(XkbKeyNameOfScanCode(0xE038), "RALT");
    EXPECT_EQ(XkbKeyNameOfScanCode(0x38), "LALT");
    EXPECT_EQ(XkbKeyNameOfScanCode(0x7F), "");
    EXPECT_EQ(ScanCodeOfXkbKeyName("HENK"), 0x79u);
    EXPECT_EQ(ScanCodeOfXkbKeyName("XXXX"), 0u);
}

// Each name of the scan-code table belongs to one scan code, and is a key name (or alias) of the keycodes
// X servers use on PC keyboards, so a server has a key of that name.
TEST(ScanCodes, KeyNamesAreUniqueAndKnownToXkb) {
    std::ifstream in("/usr/share/X11/xkb/keycodes/evdev");
    if (!in) GTEST_SKIP() << "no XKB keycodes file to compare with";
    std::stringstream text;
    text << in.rdbuf();
    const std::string keycodes = text.str();
    std::set<std::string> seen;
    int named = 0;
    for (ScanCode code = 1; code < 0x100; ++code) {
        for (const ScanCode scanCode : {code, 0xE000 | code}) {
            const std::string name(XkbKeyNameOfScanCode(scanCode));
            if (name.empty()) continue;
            ++named;
            EXPECT_TRUE(seen.insert(name).second) << name;
            EXPECT_EQ(ScanCodeOfXkbKeyName(name), scanCode) << name;
            EXPECT_NE(keycodes.find("<" + name + ">"), std::string::npos) << name;
        }
    }
    const std::string pause(XkbKeyNameOfScanCode(0xE11D45));
    EXPECT_EQ(pause, "PAUS");
    EXPECT_NE(keycodes.find("<" + pause + ">"), std::string::npos);
    EXPECT_GT(named, 100);
}
