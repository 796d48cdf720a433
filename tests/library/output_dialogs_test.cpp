// Tests of MSGBOX, INPUTBOX and MES through a recording user interface: argument rules, the style number, the
// titles, a cancelled input box, the message window's place and width, and the refusal without dialogs.
#include "library_test_support.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// Records every call; the message box answers with `button`, the label is `labelWidth` twips wide.
class RecordingUserInterface : public ScriptedUserInterface {
  public:
    int32_t button = 1;
    std::vector<int32_t> styles;
    std::vector<std::u16string> texts;
    std::vector<std::u16string> boxTitles;
    int shows = 0;
    int32_t left = -1, top = -1, width = -1;
    int32_t labelWidth = 600;
    std::u16string messageText = u"unset";

    int32_t MessageBox(const std::u16string& text, int32_t style, const std::u16string& title) override {
        texts.push_back(text);
        styles.push_back(style);
        boxTitles.push_back(title);
        return button;
    }
    void ShowMessageWindow() override { ++shows; }
    void SetMessageWindowPosition(int32_t x, int32_t y) override {
        left = x;
        top = y;
    }
    void SetMessageText(const std::u16string& text) override { messageText = text; }
    int32_t MessageLabelLeft() const override { return 120; }
    int32_t MessageLabelWidth() const override { return labelWidth; }
    void SetMessageWindowWidth(int32_t w) override { width = w; }
};

} // namespace

TEST(MsgBox, CountTextAndStyle) {
    RecordingUserInterface ui;
    BuiltinOutcome none = CallBuiltin(u"MSGBOX", {}, &ui);
    EXPECT_EQ(none.Code(), 7);
    EXPECT_EQ(none.Info(), "引数がありません");

    ui.button = 6;
    BuiltinOutcome yes = CallBuiltin(u"MSGBOX", {S(u"x"), S(u"4x")}, &ui);
    EXPECT_EQ(yes.Code(), 0);
    EXPECT_EQ(yes.Text(), "6");
    EXPECT_EQ(CallBuiltin(u"MSGBOX", {S(u"x"), D(1.5)}, &ui).Code(), 0);
    EXPECT_EQ(CallBuiltin(u"MSGBOX", {I(12)}, &ui).Code(), 0);
    CallBuiltin(u"MSGBOX", {S(u"x"), S(u"  292 ")}, &ui);
    EXPECT_EQ(ui.styles, (std::vector<int32_t>{4, 2, 0, 292}));
    EXPECT_EQ(U8(ui.texts[2]), "12");
    for (const auto& title : ui.boxTitles) EXPECT_EQ(U8(title), "QuillonMacro");
}

TEST(MsgBox, StyleBeyondRangeAndNoDialogsFailWithoutABox) {
    RecordingUserInterface ui;
    BuiltinOutcome big = CallBuiltin(u"MSGBOX", {S(u"x"), D(3e9)}, &ui);
    EXPECT_EQ(big.Code(), 7);
    EXPECT_EQ(big.Sub(), 6);
    ui.dialogs = false;
    BuiltinOutcome refused = CallBuiltin(u"MSGBOX", {S(u"x")}, &ui);
    EXPECT_EQ(refused.Code(), 7);
    EXPECT_TRUE(ui.styles.empty());
    EXPECT_EQ(CallBuiltin(u"MSGBOX", {S(u"x")}, nullptr).Code(), 7);
}

TEST(InputBox, TitlesAndCancel) {
    RecordingUserInterface ui;
    EXPECT_EQ(CallBuiltin(u"INPUTBOX", {}, &ui).Info(), "引数がありません");
    ui.answers = {u"typed text"};
    BuiltinOutcome typed = CallBuiltin(u"INPUTBOX", {S(u"name")}, &ui);
    EXPECT_EQ(typed.Code(), 0);
    EXPECT_EQ(typed.Text(), "typed text");
    BuiltinOutcome cancelled = CallBuiltin(u"INPUTBOX", {S(u"name"), S(u"題名"), S(u"ignored")}, &ui);
    EXPECT_EQ(cancelled.Code(), 0);
    EXPECT_TRUE(cancelled.result.IsString());
    EXPECT_EQ(cancelled.Text(), "");
    ASSERT_EQ(ui.titles.size(), 2u);
    EXPECT_EQ(U8(ui.titles[0]), "QuillonMacro");
    EXPECT_EQ(U8(ui.titles[1]), "題名");
    EXPECT_EQ(U8(ui.prompts[1]), "name");
}

TEST(Mes, CountPlaceAndWidth) {
    RecordingUserInterface ui;
    BuiltinOutcome two = CallBuiltin(u"MES", {S(u"a"), I(1)}, &ui);
    EXPECT_EQ(two.Code(), 7);
    EXPECT_EQ(two.Info(), "引数の数があいません");
    EXPECT_EQ(ui.shows, 0);

    BuiltinOutcome corner = CallBuiltin(u"MES", {S(u"hello")}, &ui);
    EXPECT_EQ(corner.Code(), 0);
    EXPECT_EQ(ui.shows, 1);
    EXPECT_EQ(ui.left, 0);
    EXPECT_EQ(ui.top, 0);
    EXPECT_EQ(U8(ui.messageText), "hello");
    EXPECT_EQ(ui.width, 2 * 120 + 600);

    ui.labelWidth = 1000;
    EXPECT_EQ(CallBuiltin(u"MES", {S(u"inch"), I(1440), D(720.5)}, &ui).Code(), 0);
    EXPECT_EQ(ui.left, 1440);
    EXPECT_EQ(ui.top, 720);
    EXPECT_EQ(ui.width, 1240);
}

TEST(Mes, FailingStepStillShowsTheRest) {
    RecordingUserInterface ui;
    BuiltinOutcome bad = CallBuiltin(u"MES", {S(u"text"), S(u"left"), I(300)}, &ui);
    EXPECT_EQ(bad.Code(), 7);
    EXPECT_EQ(bad.Sub(), 13);
    EXPECT_EQ(ui.shows, 1);
    EXPECT_EQ(ui.left, 0);
    EXPECT_EQ(ui.top, 300);
    EXPECT_EQ(U8(ui.messageText), "text");
}

TEST(Dialogs, InsideAMacro) {
    RecordingUserInterface ui;
    ui.button = 7;
    ui.answers = {u"abc"};
    MacroOutcome r = RunMacro(Lines({u"PRINT MSGBOX(\"q\", 4 + 32 + 256)", u"PRINT INPUTBOX(\"p\") + \"!\"",
                                     u"MES \"m\", 100, 200", u"PRINT INPUTBOX(\"p\") = \"\""}),
                              &ui);
    EXPECT_EQ(r.code, 0) << r.info;
    EXPECT_EQ(r.printed, (std::vector<std::string>{"7", "abc!", "True"}));
    EXPECT_EQ(ui.styles, std::vector<int32_t>{292});
    EXPECT_EQ(ui.left, 100);
}
