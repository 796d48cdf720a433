// Typing every code of a layout and comparing what the recording client receives with what Windows types.
#include "keyboard_layout_typing.h"

namespace desktop_testing {

namespace {

std::vector<std::string> Split(const std::string& text) {
    return Words(text);
}

// What X should type for one code, without and with Shift; "" for nothing.
struct Expected {
    std::string key;
    std::string plain;
    std::string shifted;
};

std::string Shown(const char* text) {
    return text == nullptr || std::string(text) == "-" ? std::string() : std::string(text);
}

// Every letter, digit and punctuation code of a layout with what X should type for it.
std::vector<Expected> ExpectedTyping(const LayoutTyping& layout) {
    std::vector<Expected> all;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        Expected expected{std::string("VK_") + letter, std::string(1, static_cast<char>(letter - 'A' + 'a')),
                          std::string(1, letter)};
        for (const Typed& t : layout.letters)
            if (expected.key == t.key) expected = {t.key, Shown(t.plain), Shown(t.shifted)};
        all.push_back(expected);
    }
    const std::vector<std::string> digits = Split(layout.digits);
    const std::vector<std::string> shifted =
        Split(layout.xShiftedDigits != nullptr ? layout.xShiftedDigits : layout.shiftedDigits);
    for (size_t d = 0; d < 10; ++d)
        all.push_back({"VK_" + std::to_string(d), digits[d], shifted[d] == "-" ? "" : shifted[d]});
    for (const Typed& t : layout.punctuation) {
        if (t.plain == nullptr) {
            all.push_back({t.key, "", ""});
            continue;
        }
        all.push_back({t.key, Shown(t.xPlain != nullptr ? t.xPlain : t.plain),
                       Shown(t.xShifted != nullptr ? t.xShifted : t.shifted)});
    }
    return all;
}

// Types every code, then every code with Shift, each followed by Pause as a separator, and returns for each
// press what the client received between separators ("" for nothing): first the plain, then the shifted.
std::vector<std::string> TypeEveryCode(const std::vector<Expected>& codes) {
    Recorder recorder("QmLayoutRecorder", "layout");
    EXPECT_NE(recorder.Window(), 0u);
    std::vector<std::string> lines;
    for (int shift = 0; shift < 2; ++shift) {
        if (shift == 1) lines.push_back("KBD VK_SHIFT, DOWN");
        for (const Expected& code : codes) {
            lines.push_back("KBD " + code.key + ", PRESS");
            lines.push_back("KBD VK_PAUSE, PRESS");
        }
    }
    lines.push_back("KBD VK_SHIFT, UP");
    DesktopMacro macro;
    EXPECT_EQ(macro.Run(lines), 0) << macro.Info();
    const size_t separators = 2 * codes.size();
    auto received = [&] {
        std::vector<std::string> typed(1);
        for (const std::string& line : recorder.Events("key")) {
            const std::vector<std::string> w = Words(line);
            if (w.size() < 4 || w[1] != "press" || w[3] == "Shift_L") continue;
            if (w[3] == "Pause") {
                typed.emplace_back();
                continue;
            }
            typed.back() += (typed.back().empty() ? "" : " ") + w[3];
        }
        return typed;
    };
    EXPECT_TRUE(WaitUntil([&] { return received().size() > separators; }));
    std::vector<std::string> typed = received();
    typed.resize(separators);
    return typed;
}

} // namespace

void ExpectTyping(const LayoutTyping& layout) {
    SCOPED_TRACE(layout.arguments);
    DisplayLayout applied(layout.arguments);
    const std::vector<Expected> codes = ExpectedTyping(layout);
    const std::vector<std::string> typed = TypeEveryCode(codes);
    for (size_t i = 0; i < codes.size(); ++i) {
        EXPECT_EQ(typed[i], codes[i].plain) << codes[i].key;
        EXPECT_EQ(typed[codes.size() + i], codes[i].shifted) << "Shift + " << codes[i].key;
    }
}

} // namespace desktop_testing
