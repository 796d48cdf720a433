// Desktop tests of the keys on other keyboard layouts (setxkbmap on the private display): every letter,
// digit and punctuation code typed by KBD, with and without Shift, into a real client that records the
// symbols it receives, against what Windows types on that layout (more layouts in
// keyboard_layout_typing_test.cpp); GETKEYSTATE while another client holds
// each physical key; the codes the platform gives the dialog and the recording for physical keys; a second
// layout group, another keycode set, and layouts without a table.
#include "desktop_test_support.h"
#include "keyboard_layout_typing.h"

#include <X11/XKBlib.h>

using namespace desktop_testing;

namespace {

const LayoutTyping kUs{
    "-layout us",
    "0 1 2 3 4 5 6 7 8 9",
    "parenright exclam at numbersign dollar percent asciicircum ampersand asterisk parenleft",
    nullptr,
    {{"VK_OEM_1", "semicolon", "colon"},
     {"VK_OEM_PLUS", "equal", "plus"},
     {"VK_OEM_COMMA", "comma", "less"},
     {"VK_OEM_MINUS", "minus", "underscore"},
     {"VK_OEM_PERIOD", "period", "greater"},
     {"VK_OEM_2", "slash", "question"},
     {"VK_OEM_3", "grave", "asciitilde"},
     {"VK_OEM_4", "bracketleft", "braceleft"},
     {"VK_OEM_5", "backslash", "bar"},
     {"VK_OEM_6", "bracketright", "braceright"},
     {"VK_OEM_7", "apostrophe", "quotedbl"},
     {"VK_OEM_8", nullptr, nullptr},
     // X's US layout leaves the 105th key to the generic PC symbols.
     {"VK_OEM_102", "backslash", "bar", "less", "greater"}}};

const LayoutTyping kJapanese{
    "-layout jp",
    "0 1 2 3 4 5 6 7 8 9",
    "- exclam quotedbl numbersign dollar percent ampersand apostrophe parenleft parenright",
    // Windows' Japanese layout types nothing with Shift+0, X's a tilde.
    "asciitilde exclam quotedbl numbersign dollar percent ampersand apostrophe parenleft "
    "parenright",
    {{"VK_OEM_1", "colon", "asterisk"},
     {"VK_OEM_PLUS", "semicolon", "plus"},
     {"VK_OEM_COMMA", "comma", "less"},
     {"VK_OEM_MINUS", "minus", "equal"},
     {"VK_OEM_PERIOD", "period", "greater"},
     {"VK_OEM_2", "slash", "question"},
     {"VK_OEM_3", "at", "grave"},
     {"VK_OEM_4", "bracketleft", "braceleft"},
     {"VK_OEM_5", "backslash", "bar"},
     {"VK_OEM_6", "bracketright", "braceright"},
     {"VK_OEM_7", "asciicircum", "asciitilde"},
     {"VK_OEM_8", nullptr, nullptr},
     {"VK_OEM_102", "backslash", "underscore"}}};

const LayoutTyping kGerman{
    "-layout de",
    "0 1 2 3 4 5 6 7 8 9",
    "equal exclam quotedbl section dollar percent ampersand slash parenleft parenright",
    nullptr,
    {{"VK_OEM_1", "udiaeresis", "Udiaeresis"},
     {"VK_OEM_PLUS", "plus", "asterisk"},
     {"VK_OEM_COMMA", "comma", "semicolon"},
     {"VK_OEM_MINUS", "minus", "underscore"},
     {"VK_OEM_PERIOD", "period", "colon"},
     {"VK_OEM_2", "numbersign", "apostrophe"},
     {"VK_OEM_3", "odiaeresis", "Odiaeresis"},
     {"VK_OEM_4", "ssharp", "question"},
     {"VK_OEM_5", "dead_circumflex", "degree"},
     {"VK_OEM_6", "dead_acute", "dead_grave"},
     {"VK_OEM_7", "adiaeresis", "Adiaeresis"},
     {"VK_OEM_8", nullptr, nullptr},
     {"VK_OEM_102", "less", "greater"}}};

const LayoutTyping kFrench{
    "-layout fr",
    "agrave ampersand eacute quotedbl apostrophe parenleft minus egrave underscore ccedilla",
    "0 1 2 3 4 5 6 7 8 9",
    nullptr,
    {{"VK_OEM_1", "dollar", "sterling"},
     {"VK_OEM_PLUS", "equal", "plus"},
     {"VK_OEM_COMMA", "comma", "question"},
     {"VK_OEM_MINUS", nullptr, nullptr},
     {"VK_OEM_PERIOD", "semicolon", "period"},
     {"VK_OEM_2", "colon", "slash"},
     {"VK_OEM_3", "ugrave", "percent"},
     {"VK_OEM_4", "parenright", "degree"},
     {"VK_OEM_5", "asterisk", "mu"},
     {"VK_OEM_6", "dead_circumflex", "dead_diaeresis"},
     // Windows' French layout types nothing with Shift+², X's a tilde.
     {"VK_OEM_7", "twosuperior", "-", "twosuperior", "asciitilde"},
     {"VK_OEM_8", "exclam", "section"},
     {"VK_OEM_102", "less", "greater"}}};

const LayoutTyping kBritish{
    "-layout gb",
    "0 1 2 3 4 5 6 7 8 9",
    "parenright exclam quotedbl sterling dollar percent asciicircum ampersand asterisk "
    "parenleft",
    nullptr,
    {{"VK_OEM_1", "semicolon", "colon"},
     {"VK_OEM_PLUS", "equal", "plus"},
     {"VK_OEM_COMMA", "comma", "less"},
     {"VK_OEM_MINUS", "minus", "underscore"},
     {"VK_OEM_PERIOD", "period", "greater"},
     {"VK_OEM_2", "slash", "question"},
     {"VK_OEM_3", "apostrophe", "at"},
     {"VK_OEM_4", "bracketleft", "braceleft"},
     {"VK_OEM_5", "backslash", "bar"},
     {"VK_OEM_6", "bracketright", "braceright"},
     {"VK_OEM_7", "numbersign", "asciitilde"},
     {"VK_OEM_8", "grave", "notsign"},
     {"VK_OEM_102", nullptr, nullptr}}};

} // namespace

TEST(KeyboardLayout, UsKeysTypeWhatWindowsTypes) {
    ExpectTyping(kUs);
}

TEST(KeyboardLayout, JapaneseKeysTypeWhatWindowsTypes) {
    ExpectTyping(kJapanese);
}

TEST(KeyboardLayout, GermanKeysTypeWhatWindowsTypes) {
    ExpectTyping(kGerman);
}

TEST(KeyboardLayout, FrenchKeysTypeWhatWindowsTypes) {
    ExpectTyping(kFrench);
}

TEST(KeyboardLayout, BritishKeysTypeWhatWindowsTypes) {
    ExpectTyping(kBritish);
}

namespace {

// A physical key of a layout (its evdev keycode) with the code Windows gives it there, and the code its key
// messages carry when that differs (the Japanese mode keys).
struct PhysicalKey {
    int code;
    unsigned int keycode;
    int reported = 0;
};

struct LayoutKeys {
    const char* arguments;
    std::vector<PhysicalKey> keys;
};

// 186 VK_OEM_1, 187 PLUS, 188 COMMA, 189 MINUS, 190 PERIOD, 191 OEM_2, 192 OEM_3, 219 OEM_4, 220 OEM_5,
// 221 OEM_6, 222 OEM_7, 223 OEM_8, 226 OEM_102.
const LayoutKeys kPhysicalKeys[] = {
    {"-layout us",
     {{192, 49},
      {189, 20},
      {187, 21},
      {219, 34},
      {221, 35},
      {186, 47},
      {222, 48},
      {220, 51},
      {188, 59},
      {190, 60},
      {191, 61},
      {226, 94},
      {'A', 38}}},
    {"-layout jp",
     {{189, 20},
      {222, 21},
      {220, 132},
      {192, 34},
      {219, 35},
      {187, 47},
      {186, 48},
      {221, 51},
      {188, 59},
      {190, 60},
      {191, 61},
      {226, 97},
      {28, 100},
      {29, 102},
      {21, 101, 0xF2},
      {25, 49, 0xF4}}},
    {"-layout de",
     {{220, 49},
      {219, 20},
      {221, 21},
      {186, 34},
      {187, 35},
      {192, 47},
      {222, 48},
      {191, 51},
      {188, 59},
      {190, 60},
      {189, 61},
      {226, 94},
      {'Z', 29},
      {'Y', 52}}},
    {"-layout fr",
     {{222, 49},
      {219, 20},
      {187, 21},
      {221, 34},
      {186, 35},
      {192, 48},
      {220, 51},
      {188, 58},
      {190, 59},
      {191, 60},
      {223, 61},
      {226, 94},
      {'A', 24},
      {'Q', 38},
      {'Z', 25},
      {'W', 52},
      {'M', 47}}},
    // Hungarian: the key left of 1 is VK_0, the key after 9 (ö) VK_OEM_3.
    {"-layout hu",
     {{'0', 49},
      {192, 19},
      {191, 20},
      {187, 21},
      {219, 34},
      {186, 47},
      {222, 48},
      {226, 94},
      {'Z', 29},
      {'Y', 52}}},
    {"-layout gb",
     {{223, 49},
      {189, 20},
      {187, 21},
      {219, 34},
      {221, 35},
      {186, 47},
      {192, 48},
      {222, 51},
      {188, 59},
      {190, 60},
      {191, 61},
      {220, 94}}},
};

bool Xdotool(const std::string& arguments) {
    return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

} // namespace

// Another client holds each physical key by its keycode: exactly the code Windows gives that key on the
// layout reads as down and freshly pressed, and no other code of the list reads as down.
TEST(KeyboardLayout, KeyStateReadsThePhysicalKeyOfEachCode) {
    for (const LayoutKeys& layout : kPhysicalKeys) {
        SCOPED_TRACE(layout.arguments);
        DisplayLayout applied(layout.arguments);
        DesktopMacro macro;
        DesktopPlatform& desktop = macro.Desktop();
        for (const PhysicalKey& key : layout.keys) {
            ASSERT_TRUE(Xdotool("keydown " + std::to_string(key.keycode)));
            EXPECT_EQ(desktop.AsyncKeyState(key.code), 0x8001) << key.code << " on keycode " << key.keycode;
            for (const PhysicalKey& other : layout.keys) {
                if (other.code == key.code) continue;
                EXPECT_EQ(desktop.AsyncKeyState(other.code) & 0x8000, 0)
                    << other.code << " with " << key.code;
            }
            ASSERT_TRUE(Xdotool("keyup " + std::to_string(key.keycode)));
            EXPECT_EQ(desktop.AsyncKeyState(key.code), 0) << key.code;
        }
    }
}

// The right Alt key is AltGr on German keyboards: it reads as VK_MENU and VK_RMENU, not as VK_LMENU.
TEST(KeyboardLayout, GenericModifiersReadEitherSide) {
    DisplayLayout applied("-layout de");
    DesktopMacro macro;
    ASSERT_TRUE(Xdotool("keydown 108"));
    EXPECT_EQ(macro.Desktop().AsyncKeyState(18) & 0x8000, 0x8000);
    EXPECT_EQ(macro.Desktop().AsyncKeyState(165) & 0x8000, 0x8000);
    EXPECT_EQ(macro.Desktop().AsyncKeyState(164), 0);
    EXPECT_EQ(macro.Desktop().AsyncKeyState(17), 0);
    ASSERT_TRUE(Xdotool("keyup 108"));
}

// What the quick-input dialog asks the platform for a key event's keycode: the code of key messages.
TEST(KeyboardLayout, NativeKeysGiveTheCodesOfTheirLayout) {
    for (const LayoutKeys& layout : kPhysicalKeys) {
        SCOPED_TRACE(layout.arguments);
        DisplayLayout applied(layout.arguments);
        DesktopMacro macro;
        for (const PhysicalKey& key : layout.keys)
            EXPECT_EQ(macro.Desktop().VirtualKeyOfNativeKey(key.keycode),
                      key.reported != 0 ? key.reported : key.code)
                << "keycode " << key.keycode;
        // Either side of a modifier gives the common code; the keypad's digits and unknown numbers give 0.
        for (const auto& [keycode, code] : std::vector<std::pair<uint32_t, int>>{
                 {50, 16}, {62, 16}, {37, 17}, {105, 17}, {64, 18}, {108, 18}, {79, 0}, {91, 0}, {256, 0}})
            EXPECT_EQ(macro.Desktop().VirtualKeyOfNativeKey(keycode), code) << "keycode " << keycode;
    }
}

// The recording names keys by their layout's codes, and follows a change of layout while it runs.
TEST(KeyboardLayout, RecordingGivesTheCodesOfTheActiveLayout) {
    Recorder target("QmLayoutRecordTarget", "record");
    ASSERT_NE(target.Window(), 0u);
    DisplayLayout applied("-layout de");
    DesktopMacro macro;
    std::unique_ptr<InputRecording> recording = macro.Desktop().StartInputRecording();
    ASSERT_NE(recording, nullptr);
    std::vector<RecordedInput> events;
    auto downs = [&] {
        std::vector<int32_t> codes;
        for (const RecordedInput& e : events)
            if (e.kind == RecordedInput::Kind::KeyDown) codes.push_back(e.code);
        return codes;
    };
    auto takeUntil = [&](size_t count) {
        return WaitUntil([&] {
            recording->Take(events);
            return downs().size() >= count;
        });
    };
    ASSERT_TRUE(Xdotool("key 34 108"));
    ASSERT_TRUE(takeUntil(2));
    Shell("setxkbmap -layout fr");
    Sleep(300);
    ASSERT_TRUE(Xdotool("key 24 58"));
    ASSERT_TRUE(takeUntil(4));
    EXPECT_EQ(downs(), (std::vector<int32_t>{186, 165, 'A', 188}));
}

// With two layouts, the active group decides: US, then German after switching the group.
TEST(KeyboardLayout, TheActiveGroupChoosesTheLayout) {
    DisplayLayout applied("-layout us,de");
    Recorder recorder("QmGroupRecorder", "groups");
    ASSERT_NE(recorder.Window(), 0u);
    DesktopMacro macro;
    Probe probe;
    ASSERT_EQ(macro.Run({"KBD VK_OEM_1, PRESS", "KBD VK_Z, PRESS"}), 0);
    ASSERT_TRUE(recorder.WaitForEvents("key press", 2));
    XkbLockGroup(probe.Get(), XkbUseCoreKbd, 1);
    XSync(probe.Get(), False);
    Sleep(200);
    ASSERT_EQ(macro.Run({"KBD VK_OEM_1, PRESS", "KBD VK_Z, PRESS"}), 0);
    ASSERT_TRUE(recorder.WaitForEvents("key press", 4));
    XkbLockGroup(probe.Get(), XkbUseCoreKbd, 0);
    XSync(probe.Get(), False);
    std::vector<std::string> typed;
    for (const std::string& line : recorder.Events("key press"))
        typed.push_back(Words(line)[3] + ":" + Words(line)[4]);
    EXPECT_EQ(typed, (std::vector<std::string>{"semicolon:47", "z:52", "udiaeresis:34", "z:29"}));
}

// The keys are found by their names, whatever numbers the server's keycodes give them.
TEST(KeyboardLayout, KeysAreFoundByNameInAnotherKeycodeSet) {
    DisplayLayout applied("-keycodes xfree86 -layout us");
    Recorder recorder("QmKeycodeRecorder", "keycodes");
    ASSERT_NE(recorder.Window(), 0u);
    DesktopMacro macro;
    ASSERT_EQ(macro.Run({"KBD VK_HOME, PRESS", "KBD VK_RCONTROL, PRESS", "KBD VK_DELETE, PRESS",
                         "KBD VK_OEM_102, PRESS", "KBD VK_A, PRESS"}),
              0);
    ASSERT_TRUE(recorder.WaitForEvents("key press", 5));
    std::string typed;
    for (const std::string& line : recorder.Events("key press"))
        typed += Words(line)[3] + ":" + Words(line)[4] + " ";
    // The xfree86 keycodes of Home, Control_R and Delete differ from the evdev ones (110, 105, 119).
    EXPECT_EQ(typed, "Home:97 Control_R:109 Delete:107 less:94 a:38 ");
}

// Layouts without a table keep the letters where their symbols are (QWERTZ, Dvorak) or on the US places
// (Bulgarian), the digit row, and type punctuation codes by their US symbols.
TEST(KeyboardLayout, LayoutsWithoutATable) {
    const std::pair<const char*, std::string> cases[] = {
        {"-layout lt", "z:52 y:29 ccaron:11 semicolon"},
        {"-layout us -variant dvorak", "z:61 y:28 2:11 semicolon"},
        {"-layout bg", "Cyrillic_yu:52 Cyrillic_shcha:29 2:11 semicolon"},
    };
    for (const auto& [arguments, expected] : cases) {
        SCOPED_TRACE(arguments);
        DisplayLayout applied(arguments);
        Recorder recorder("QmUnknownLayout", "unknown");
        ASSERT_NE(recorder.Window(), 0u);
        DesktopMacro macro;
        ASSERT_EQ(macro.Run({"KBD VK_Z, PRESS", "KBD VK_Y, PRESS", "KBD VK_2, PRESS", "KBD VK_OEM_1, PRESS"}),
                  0);
        ASSERT_TRUE(recorder.WaitForEvents("key press", 4));
        std::string typed;
        for (const std::string& line : recorder.Events("key press")) {
            const std::vector<std::string> w = Words(line);
            typed += (typed.empty() ? "" : " ") + w[3] + (w[3] == "semicolon" ? "" : ":" + w[4]);
        }
        EXPECT_EQ(typed, expected);
    }
}

// The Japanese keys press their keys; VK_CAPITAL, which has no key of its own there, still toggles the
// Caps Lock.
TEST(KeyboardLayout, JapaneseModeKeys) {
    DisplayLayout applied("-layout jp");
    Recorder recorder("QmJapaneseKeys", "japanese");
    ASSERT_NE(recorder.Window(), 0u);
    DesktopMacro macro;
    ASSERT_EQ(macro.Run({"KBD VK_CONVERT, PRESS", "KBD VK_NONCONVERT, PRESS", "KBD VK_KANA, PRESS",
                         "KBD 25, PRESS", "KBD 240, PRESS"}),
              0);
    ASSERT_TRUE(recorder.WaitForEvents("key press", 5));
    std::string typed;
    for (const std::string& line : recorder.Events("key press"))
        typed += Words(line)[2] + ":" + Words(line)[4] + " ";
    EXPECT_EQ(typed, "Henkan_Mode:100 Muhenkan:102 Hiragana_Katakana:101 Zenkaku_Hankaku:49 Eisu_toggle:66 ");
    auto capsLocked = [] {
        Probe probe;
        XkbStateRec state{};
        XkbGetState(probe.Get(), XkbUseCoreKbd, &state);
        return (state.locked_mods & LockMask) != 0;
    };
    ASSERT_FALSE(capsLocked());
    ASSERT_EQ(macro.Run({"KBD VK_CAPITAL, PRESS"}), 0);
    EXPECT_TRUE(WaitUntil(capsLocked, 3000));
    ASSERT_EQ(macro.Run({"KBD VK_CAPITAL, PRESS"}), 0);
    EXPECT_TRUE(WaitUntil([&] { return !capsLocked(); }, 3000));
}
