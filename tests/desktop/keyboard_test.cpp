// Desktop tests of KBD on X11: the key events a real client receives (order, keysyms, typed text, the delay),
// keysyms the keyboard map lacks going through an empty keycode that is emptied again, keypad digits with and
// without NumLock, and typing a shell command into a real xterm.
#include "desktop_test_support.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <QDir>

using namespace desktop_testing;

namespace {

// 3270_Attn, a keysym the keyboard map of the test display does not have.
constexpr KeySym kAttnKeysym = 0xFD0E;

// Fields of a recorder key line: "key press|release BASE TYPED KEYCODE TIME state=S text=T".
struct KeyEvent {
    bool press = false;
    std::string base;
    std::string typed;
    unsigned int keycode = 0;
    unsigned long time = 0;
};

std::vector<KeyEvent> KeyEvents(const Recorder& recorder) {
    std::vector<KeyEvent> events;
    for (const std::string& line : recorder.Events("key")) {
        const std::vector<std::string> w = Words(line);
        if (w.size() < 6) continue;
        events.push_back(
            {w[1] == "press", w[2], w[3], static_cast<unsigned int>(std::stoul(w[4])), std::stoul(w[5])});
    }
    return events;
}

std::string Describe(const std::vector<KeyEvent>& events) {
    std::string out;
    for (const KeyEvent& e : events) out += (e.press ? "+" : "-") + e.typed + " ";
    return out;
}

// True when the keycode carries no symbol in the server's current map (read on a fresh connection).
bool KeycodeEmpty(unsigned int keycode) {
    Display* display = XOpenDisplay(nullptr);
    int per = 0;
    KeySym* syms = XGetKeyboardMapping(display, static_cast<KeyCode>(keycode), 1, &per);
    bool empty = true;
    for (int i = 0; i < per; ++i)
        if (syms[i] != NoSymbol) empty = false;
    XFree(syms);
    XCloseDisplay(display);
    return empty;
}

bool NumLockOn() {
    Display* display = XOpenDisplay(nullptr);
    XkbStateRec state{};
    XkbGetState(display, XkbUseCoreKbd, &state);
    const unsigned int mask = XkbKeysymToModifiers(display, XK_Num_Lock);
    XCloseDisplay(display);
    return (state.locked_mods & mask) != 0;
}

} // namespace

TEST(Keyboard, EventsArriveInOrderWithTheirKeysyms) {
    Recorder recorder("QmRecorder", "keys");
    ASSERT_NE(recorder.Window(), 0u);
    DesktopMacro macro;
    ASSERT_EQ(macro.Run({"KBD VK_A, PRESS", "KBD VK_SHIFT, DOWN", "KBD VK_B, PRESS", "KBD VK_SHIFT, UP",
                         "KBD VK_OEM_1, PRESS", "KBD VK_OEM_PERIOD, PRESS", "KBD VK_F5, PRESS",
                         "KBD VK_RETURN", "KBD VK_RETURN, UP", "KBD VK_RCONTROL, PRESS", "KBD VK_A, 7"}),
              0)
        << macro.Info();
    ASSERT_TRUE(recorder.WaitForEvents("key", 16));
    const std::vector<KeyEvent> events = KeyEvents(recorder);
    EXPECT_EQ(Describe(events), "+a -a +Shift_L +B -B -Shift_L +semicolon -semicolon +period -period +F5 -F5 "
                                "+Return -Return +Control_R -Control_R ");
    // Nothing follows the action that is not PRESS, DOWN or UP.
    Sleep(200);
    EXPECT_EQ(KeyEvents(recorder).size(), 16u);
}

// A key-down of a key held already is no second press: one key-up lets Shift go ("AbC"), a held letter
// repeats, and the end of the run releases Shift pressed twice, so a later run of the same platform (as in
// the editor) types small letters and nothing is down in between.
TEST(Keyboard, AKeyDownOfAHeldKeyIsNoSecondPress) {
    Recorder recorder("QmRecorder", "twice");
    ASSERT_NE(recorder.Window(), 0u);
    Probe probe;
    DesktopMacro macro;
    ASSERT_EQ(macro.Run({"KBD VK_SHIFT, DOWN", "KBD VK_SHIFT, DOWN", "KBD VK_A, PRESS", "KBD VK_SHIFT, UP",
                         "KBD VK_B, PRESS", "KBD VK_SHIFT, DOWN", "KBD VK_C, PRESS", "KBD VK_SHIFT, DOWN"}),
              0)
        << macro.Info();
    XSync(probe.Get(), False);
    char keys[32];
    XQueryKeymap(probe.Get(), keys);
    EXPECT_EQ(std::string(keys, sizeof keys), std::string(sizeof keys, '\0'));
    ASSERT_EQ(macro.Run({"KBD VK_D, DOWN", "KBD VK_D, DOWN", "KBD VK_D, UP", "KBD VK_D, UP"}), 0);
    ASSERT_TRUE(recorder.WaitForEvents("key", 14)) << Describe(KeyEvents(recorder));
    Sleep(200);
    EXPECT_EQ(Describe(KeyEvents(recorder)),
              "+Shift_L +A -A -Shift_L +b -b +Shift_L +C -C -Shift_L +d -d +d -d ");
    EXPECT_FALSE(probe.KeysymDown(XK_d));
}

TEST(Keyboard, DelayComesBeforeTheKeyUp) {
    Recorder recorder("QmRecorder", "delay");
    ASSERT_NE(recorder.Window(), 0u);
    DesktopMacro macro;
    ASSERT_EQ(macro.Run({"KBD VK_X", "KBD VK_X, UP, 400"}), 0);
    ASSERT_TRUE(recorder.WaitForEvents("key", 2));
    const std::vector<KeyEvent> events = KeyEvents(recorder);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_TRUE(events[0].press);
    EXPECT_FALSE(events[1].press);
    EXPECT_GE(events[1].time - events[0].time, 400u);
}

TEST(Keyboard, MissingKeysymUsesAnEmptyKeycodeThatIsEmptiedAfterwards) {
    Recorder recorder("QmRecorder", "missing");
    ASSERT_NE(recorder.Window(), 0u);
    {
        Probe probe;
        ASSERT_EQ(XKeysymToKeycode(probe.Get(), kAttnKeysym), 0) << "the test keyboard map has 3270_Attn";
    }
    DesktopMacro macro;
    ASSERT_EQ(macro.Run({"KBD VK_ATTN, PRESS", "KBD VK_ATTN, PRESS", "KBD VK_A, PRESS"}), 0);
    ASSERT_TRUE(recorder.WaitForEvents("key", 6));
    const std::vector<KeyEvent> events = KeyEvents(recorder);
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[0].typed, "3270_Attn");
    EXPECT_EQ(events[1].typed, "3270_Attn");
    EXPECT_EQ(events[2].typed, "3270_Attn");
    EXPECT_EQ(events[4].typed, "a");
    const unsigned int bound = events[0].keycode;
    // The letter kept its own keycode; the borrowed one was empty and is empty again once the run is over.
    EXPECT_NE(events[4].keycode, bound);
    macro.Close();
    EXPECT_TRUE(WaitUntil([&] { return KeycodeEmpty(bound); }, 5000));
    Probe after;
    EXPECT_EQ(XKeysymToKeycode(after.Get(), kAttnKeysym), 0);
}

TEST(Keyboard, KeypadDigitsTypeDigitsWhateverTheNumLock) {
    Recorder recorder("QmRecorder", "keypad");
    ASSERT_NE(recorder.Window(), 0u);
    DesktopMacro macro;
    ASSERT_FALSE(NumLockOn());
    ASSERT_EQ(macro.Run({"KBD VK_NUMPAD7, PRESS", "KBD VK_NUMLOCK, PRESS"}), 0);
    ASSERT_TRUE(WaitUntil(NumLockOn, 5000));
    ASSERT_EQ(macro.Run({"KBD VK_NUMPAD3, PRESS", "KBD VK_NUMLOCK, PRESS", "KBD VK_NUMPAD0, PRESS"}), 0);
    ASSERT_TRUE(recorder.WaitForEvents("key", 10));
    std::string digits;
    for (const std::string& line : recorder.Events("key"))
        if (line.rfind("key press", 0) == 0 && line.find("text=") != std::string::npos)
            digits += line.substr(line.find("text=") + 5);
    EXPECT_EQ(digits, "730");
    EXPECT_FALSE(NumLockOn());
}

// Types a text as US-keyboard key presses, with Shift for capitals and shifted punctuation.
std::vector<std::string> TypingLines(const std::string& text) {
    const std::string plain = "abcdefghijklmnopqrstuvwxyz0123456789 -=;',./\\`[]";
    const std::string shifted = "ABCDEFGHIJKLMNOPQRSTUVWXYZ)!@#$%^&*( _+:\"<>?|~{}";
    const char* const names[] = {"VK_SPACE", "VK_OEM_MINUS", "VK_OEM_PLUS",   "VK_OEM_1",
                                 "VK_OEM_7", "VK_OEM_COMMA", "VK_OEM_PERIOD", "VK_OEM_2",
                                 "VK_OEM_5", "VK_OEM_3",     "VK_OEM_4",      "VK_OEM_6"};
    std::vector<std::string> lines;
    for (char c : text) {
        size_t at = plain.find(c);
        bool shift = false;
        if (at == std::string::npos) {
            at = shifted.find(c);
            shift = true;
        }
        if (at == std::string::npos) continue;
        const char base = plain[at];
        std::string key;
        if (base >= 'a' && base <= 'z')
            key = std::string("VK_") + static_cast<char>(base - 'a' + 'A');
        else if (base >= '0' && base <= '9')
            key = std::string("VK_") + base;
        else
            key = names[at - 36];
        if (shift) lines.push_back("KBD VK_SHIFT, DOWN");
        lines.push_back("KBD " + key + ", PRESS");
        if (shift) lines.push_back("KBD VK_SHIFT, UP");
    }
    return lines;
}

TEST(Keyboard, TypesACommandIntoARealTerminal) {
    QTemporaryDir dir;
    const std::string file = dir.filePath("Typed Out.txt").toStdString();
    QProcess terminal;
    terminal.start("xterm", {"-class", "QmTypingTerm", "-e", "sh"});
    ASSERT_TRUE(terminal.waitForStarted(10000));
    DesktopMacro macro;
    ASSERT_TRUE(WaitUntil([&] { return macro.Eval("GETWINID(\"QmTypingTerm\")") != "0"; }));
    const std::string window = macro.Eval("GETWINID(\"QmTypingTerm\")");
    Shell("xdotool windowactivate --sync " + window + " 2>/dev/null");
    Sleep(300);
    std::vector<std::string> lines = TypingLines("echo 'Hello, World: 42!' > \"" + file + "\"");
    lines.push_back("KBD VK_RETURN, PRESS");
    ASSERT_EQ(macro.Run(lines), 0) << macro.Info();
    ASSERT_TRUE(WaitUntil([&] { return !ReadLines(file).empty(); }));
    EXPECT_EQ(ReadLines(file), std::vector<std::string>{"Hello, World: 42!"});
    terminal.kill();
    terminal.waitForFinished(5000);
}
