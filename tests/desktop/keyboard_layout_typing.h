// Typing every letter, digit and punctuation code of a keyboard layout through KBD on the private display,
// with and without Shift, and comparing what a recording client receives with what Windows types there.
#pragma once

#include "desktop_test_support.h"

#include <string>
#include <vector>

namespace desktop_testing {

// Sets the display's keyboard layout for one test and puts the US layout back afterwards.
class DisplayLayout {
  public:
    explicit DisplayLayout(const std::string& arguments) { Apply(arguments); }
    ~DisplayLayout() { Apply("-keycodes evdev -layout us"); }
    DisplayLayout(const DisplayLayout&) = delete;
    DisplayLayout& operator=(const DisplayLayout&) = delete;

  private:
    static void Apply(const std::string& arguments) {
        const std::string failure = Shell("setxkbmap " + arguments + " 2>&1");
        EXPECT_TRUE(failure.empty()) << "setxkbmap " << arguments << ": " << failure;
    }
};

// What a code types: the X keysym names without and with Shift; null when the layout has no key for the
// code (Windows then types nothing). Where X's layout types otherwise than Windows on the same key, the
// x fields say what X types; the test takes those (the key is right; the characters are the layout's).
struct Typed {
    const char* key;
    const char* plain;
    const char* shifted;
    const char* xPlain = nullptr;
    const char* xShifted = nullptr;
};

struct LayoutTyping {
    const char* arguments;      // of setxkbmap
    const char* digits;         // VK_0 … VK_9 without Shift
    const char* shiftedDigits;  // with Shift ("-": nothing)
    const char* xShiftedDigits; // what X types instead, where it differs
    std::vector<Typed> punctuation;
    std::vector<Typed> letters = {}; // letters that type other than their Latin letter (Turkish ı)
};

// Sets the layout, types every code of it and checks each against the layout's expectations.
void ExpectTyping(const LayoutTyping& layout);

} // namespace desktop_testing
