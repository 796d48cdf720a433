// Every letter, digit and punctuation code typed by KBD on the layouts of Latin America, Turkey, Hungary,
// the Czech Republic, Slovakia, Poland, Romania and Croatia, against what Windows types on each; the letter
// and punctuation keys of the Greek, Hebrew, Thai and Arabic layouts.
#include "keyboard_layout_typing.h"

using namespace desktop_testing;

namespace {

const LayoutTyping kLatinAmerican{
    "-layout latam",
    "0 1 2 3 4 5 6 7 8 9",
    "equal exclam quotedbl numbersign dollar percent ampersand slash parenleft parenright",
    nullptr,
    {{"VK_OEM_1", "dead_acute", "dead_diaeresis"},
     {"VK_OEM_PLUS", "plus", "asterisk"},
     {"VK_OEM_COMMA", "comma", "semicolon"},
     {"VK_OEM_MINUS", "minus", "underscore"},
     {"VK_OEM_PERIOD", "period", "colon"},
     {"VK_OEM_2", "braceright", "bracketright"},
     {"VK_OEM_3", "ntilde", "Ntilde"},
     {"VK_OEM_4", "apostrophe", "question"},
     {"VK_OEM_5", "bar", "degree"},
     {"VK_OEM_6", "questiondown", "exclamdown"},
     {"VK_OEM_7", "braceleft", "bracketleft"},
     {"VK_OEM_8", nullptr, nullptr},
     {"VK_OEM_102", "less", "greater"}}};

const LayoutTyping kTurkish{
    "-layout tr",
    "0 1 2 3 4 5 6 7 8 9",
    "equal exclam apostrophe dead_circumflex plus percent ampersand slash parenleft parenright",
    // Shift+3 is a dead circumflex on Windows, a plain one on X.
    "equal exclam apostrophe asciicircum plus percent ampersand slash parenleft parenright",
    {{"VK_OEM_1", "scedilla", "Scedilla"},
     {"VK_OEM_PLUS", nullptr, nullptr},
     {"VK_OEM_COMMA", "comma", "semicolon"},
     {"VK_OEM_MINUS", "minus", "underscore"},
     {"VK_OEM_PERIOD", "period", "colon"},
     {"VK_OEM_2", "odiaeresis", "Odiaeresis"},
     {"VK_OEM_3", "quotedbl", "eacute"},
     {"VK_OEM_4", "gbreve", "Gbreve"},
     {"VK_OEM_5", "ccedilla", "Ccedilla"},
     {"VK_OEM_6", "udiaeresis", "Udiaeresis"},
     {"VK_OEM_7", "i", "Iabovedot"},
     {"VK_OEM_8", "asterisk", "question"},
     {"VK_OEM_102", "less", "greater"}},
    {{"VK_I", "idotless", "I"}}};

const LayoutTyping kHungarian{
    "-layout hu",
    "0 1 2 3 4 5 6 7 8 9",
    "section apostrophe quotedbl plus exclam percent slash equal parenleft parenright",
    nullptr,
    {{"VK_OEM_1", "eacute", "Eacute"},
     {"VK_OEM_PLUS", "oacute", "Oacute"},
     {"VK_OEM_COMMA", "comma", "question"},
     {"VK_OEM_MINUS", "minus", "underscore"},
     {"VK_OEM_PERIOD", "period", "colon"},
     {"VK_OEM_2", "udiaeresis", "Udiaeresis"},
     {"VK_OEM_3", "odiaeresis", "Odiaeresis"},
     {"VK_OEM_4", "odoubleacute", "Odoubleacute"},
     {"VK_OEM_5", "udoubleacute", "Udoubleacute"},
     {"VK_OEM_6", "uacute", "Uacute"},
     {"VK_OEM_7", "aacute", "Aacute"},
     {"VK_OEM_8", nullptr, nullptr},
     {"VK_OEM_102", "iacute", "Iacute"}}};

const LayoutTyping kCzech{"-layout cz",
                          "eacute plus ecaron scaron ccaron rcaron zcaron yacute aacute iacute",
                          "0 1 2 3 4 5 6 7 8 9",
                          nullptr,
                          {{"VK_OEM_1", "uring", "quotedbl"},
                           {"VK_OEM_PLUS", "equal", "percent"},
                           {"VK_OEM_COMMA", "comma", "question"},
                           {"VK_OEM_MINUS", "minus", "underscore"},
                           {"VK_OEM_PERIOD", "period", "colon"},
                           {"VK_OEM_2", "dead_acute", "dead_caron"},
                           {"VK_OEM_3", "semicolon", "dead_abovering"},
                           {"VK_OEM_4", "uacute", "slash"},
                           {"VK_OEM_5", "dead_diaeresis", "apostrophe"},
                           {"VK_OEM_6", "parenright", "parenleft"},
                           {"VK_OEM_7", "section", "exclam"},
                           {"VK_OEM_8", nullptr, nullptr},
                           {"VK_OEM_102", "backslash", "bar"}}};

const LayoutTyping kSlovak{"-layout sk",
                           "eacute plus lcaron scaron ccaron tcaron zcaron yacute aacute iacute",
                           "0 1 2 3 4 5 6 7 8 9",
                           nullptr,
                           {{"VK_OEM_1", "ocircumflex", "quotedbl"},
                            {"VK_OEM_PLUS", "equal", "percent"},
                            {"VK_OEM_COMMA", "comma", "question"},
                            {"VK_OEM_MINUS", "minus", "underscore"},
                            {"VK_OEM_PERIOD", "period", "colon"},
                            {"VK_OEM_2", "dead_acute", "dead_caron"},
                            {"VK_OEM_3", "semicolon", "dead_abovering"},
                            {"VK_OEM_4", "uacute", "slash"},
                            {"VK_OEM_5", "ncaron", "parenright"},
                            {"VK_OEM_6", "adiaeresis", "parenleft"},
                            {"VK_OEM_7", "section", "exclam"},
                            {"VK_OEM_8", nullptr, nullptr},
                            {"VK_OEM_102", "backslash", "bar"}}};

const LayoutTyping kPolish{
    "-layout pl",
    "0 1 2 3 4 5 6 7 8 9",
    "parenright exclam at numbersign dollar percent asciicircum ampersand asterisk parenleft",
    nullptr,
    {{"VK_OEM_1", "semicolon", "colon"},
     {"VK_OEM_PLUS", "equal", "plus"},
     {"VK_OEM_COMMA", "comma", "less"},
     {"VK_OEM_MINUS", "minus", "underscore"},
     {"VK_OEM_PERIOD", "period", "greater"},
     {"VK_OEM_2", "slash", "question"},
     // Shift+` is a dead tilde on Windows, a plain one on X.
     {"VK_OEM_3", "grave", "dead_tilde", "grave", "asciitilde"},
     {"VK_OEM_4", "bracketleft", "braceleft"},
     {"VK_OEM_5", "backslash", "bar"},
     {"VK_OEM_6", "bracketright", "braceright"},
     {"VK_OEM_7", "apostrophe", "quotedbl"},
     {"VK_OEM_8", nullptr, nullptr},
     // X's Polish layout leaves the 105th key to the generic PC symbols.
     {"VK_OEM_102", "backslash", "bar", "less", "greater"}}};

const LayoutTyping kRomanian{
    "-layout ro -variant std",
    "0 1 2 3 4 5 6 7 8 9",
    "parenright exclam at numbersign dollar percent asciicircum ampersand asterisk parenleft",
    nullptr,
    {{"VK_OEM_1", "U0219", "U0218"},
     {"VK_OEM_PLUS", "equal", "plus"},
     {"VK_OEM_COMMA", "comma", "semicolon"},
     {"VK_OEM_MINUS", "minus", "underscore"},
     {"VK_OEM_PERIOD", "period", "colon"},
     {"VK_OEM_2", "slash", "question"},
     {"VK_OEM_3", "doublelowquotemark", "rightdoublequotemark"},
     {"VK_OEM_4", "abreve", "Abreve"},
     {"VK_OEM_5", "acircumflex", "Acircumflex"},
     {"VK_OEM_6", "icircumflex", "Icircumflex"},
     {"VK_OEM_7", "U021B", "U021A"},
     {"VK_OEM_8", nullptr, nullptr},
     {"VK_OEM_102", "backslash", "bar"}}};

const LayoutTyping kCroatian{
    "-layout hr",
    "0 1 2 3 4 5 6 7 8 9",
    "equal exclam quotedbl numbersign dollar percent ampersand slash parenleft parenright",
    nullptr,
    {{"VK_OEM_1", "ccaron", "Ccaron"},
     {"VK_OEM_PLUS", "plus", "asterisk"},
     {"VK_OEM_COMMA", "comma", "semicolon"},
     {"VK_OEM_MINUS", "minus", "underscore"},
     {"VK_OEM_PERIOD", "period", "colon"},
     {"VK_OEM_2", "apostrophe", "question"},
     // Windows has dead cedilla and diaeresis on the key left of 1; X's Croatian layout ` and ~.
     {"VK_OEM_3", "dead_cedilla", "dead_diaeresis", "grave", "asciitilde"},
     {"VK_OEM_4", "scaron", "Scaron"},
     {"VK_OEM_5", "zcaron", "Zcaron"},
     {"VK_OEM_6", "dstroke", "Dstroke"},
     {"VK_OEM_7", "cacute", "Cacute"},
     {"VK_OEM_8", nullptr, nullptr},
     {"VK_OEM_102", "less", "greater"}}};

} // namespace

TEST(KeyboardLayout, LatinAmericanKeysTypeWhatWindowsTypes) {
    ExpectTyping(kLatinAmerican);
}

TEST(KeyboardLayout, TurkishKeysTypeWhatWindowsTypes) {
    ExpectTyping(kTurkish);
}

TEST(KeyboardLayout, HungarianKeysTypeWhatWindowsTypes) {
    ExpectTyping(kHungarian);
}

TEST(KeyboardLayout, CzechKeysTypeWhatWindowsTypes) {
    ExpectTyping(kCzech);
}

TEST(KeyboardLayout, SlovakKeysTypeWhatWindowsTypes) {
    ExpectTyping(kSlovak);
}

TEST(KeyboardLayout, PolishKeysTypeWhatWindowsTypes) {
    ExpectTyping(kPolish);
}

TEST(KeyboardLayout, RomanianKeysTypeWhatWindowsTypes) {
    ExpectTyping(kRomanian);
}

TEST(KeyboardLayout, CroatianKeysTypeWhatWindowsTypes) {
    ExpectTyping(kCroatian);
}

// Greek, Hebrew, Thai and Arabic give the letter codes to the keys that carry the same Latin letter on the
// US layout, and their tables put VK_OEM_1 and VK_OEM_2 where the US layout has them (without a table the
// codes would look for ";" and "/").
TEST(KeyboardLayout, LayoutsOfOtherScriptsPressTheUsPlaces) {
    const std::pair<const char*, std::string> cases[] = {
        {"-layout gr", "Greek_alpha:38 Greek_zeta:52 dead_acute:47 slash:61"},
        {"-layout il", "hebrew_shin:38 hebrew_zain:52 hebrew_finalpe:47 period:61"},
        {"-layout th", "Thai_fofan:38 Thai_phophung:52 Thai_wowaen:47 Thai_fofa:61"},
        {"-layout ara", "Arabic_sheen:38 Arabic_hamzaonyeh:52 Arabic_kaf:47 Arabic_zah:61"},
    };
    for (const auto& [arguments, expected] : cases) {
        SCOPED_TRACE(arguments);
        DisplayLayout applied(arguments);
        Recorder recorder("QmOtherScript", "script");
        ASSERT_NE(recorder.Window(), 0u);
        DesktopMacro macro;
        ASSERT_EQ(
            macro.Run({"KBD VK_A, PRESS", "KBD VK_Z, PRESS", "KBD VK_OEM_1, PRESS", "KBD VK_OEM_2, PRESS"}),
            0);
        ASSERT_TRUE(recorder.WaitForEvents("key press", 4));
        std::string typed;
        for (const std::string& line : recorder.Events("key press"))
            typed += (typed.empty() ? "" : " ") + Words(line)[3] + ":" + Words(line)[4];
        EXPECT_EQ(typed, expected);
    }
}
