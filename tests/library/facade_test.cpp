// Tests of the facade: the registration order, which names the dispatch table answers, calls in any case,
// PRINT through the PrintOut event, the yield wiring, the shared library state and the ComputeLine prompt.
#include "builtin_support.h"
#include "library_state.h"
#include "library_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testing_support;

TEST(FacadeDispatch, RegistrationOrderAndTable) {
    const auto& names = BuiltinNamesInRegistrationOrder();
    ASSERT_EQ(names.size(), 58u + 171u);
    EXPECT_EQ(U8(names[0]), "MSGBOX");
    EXPECT_EQ(U8(names[2]), "PRINT");
    EXPECT_EQ(U8(names[26]), "LEN");
    EXPECT_EQ(U8(names[42]), "MAX");
    EXPECT_EQ(U8(names[57]), "RIGHTPRESS");
    EXPECT_EQ(U8(names[58]), "VK_A");
    EXPECT_EQ(U8(names.back()), "VK_ZOOM");
    // Every registered name has its implementation, and the table holds nothing else.
    for (const std::u16string& name : names) EXPECT_NE(StandardBuiltins().Find(name), nullptr) << U8(name);
    EXPECT_EQ(StandardBuiltins().Size(), names.size());
}

TEST(FacadeDispatch, NamesInAnyCaseReachTheirImplementation) {
    MacroOutcome r = RunMacro(Lines({u"print mid(\"abcdef\", 2, 3)", u"Print Vk_Return", u"PRINT vk_a()",
                                     u"print len(\"xyz\") + Abs(-2)"}));
    EXPECT_EQ(r.code, 0) << r.info;
    EXPECT_EQ(r.printed, (std::vector<std::string>{"bcd", "13", "65", "5"}));
}

TEST(FacadeDispatch, DesktopBuiltinsWithoutADesktopRefuseAndUnknownNamesAreUndefined) {
    // A desktop built-in without a desktop refuses instead of being undefined.
    MacroOutcome k = RunMacro(Lines({u"KBD VK_A, PRESS"}));
    EXPECT_EQ(k.code, 7);
    EXPECT_EQ(k.info, "画面が使用できないため、この関数は実行できません - KBD");

    MacroOutcome u = RunMacro(Lines({u"PRINT nosuchthing(1)"}));
    EXPECT_EQ(u.code, 5);
    EXPECT_EQ(u.info, "未定義の関数/変数が使用されました - nosuchthing");
}

TEST(FacadeDispatch, ConstantWithArgumentFailsAndBuiltinNamesAreReserved) {
    MacroOutcome r = RunMacro(Lines({u"PRINT VK_A(1)"}));
    EXPECT_EQ(r.code, 7);
    EXPECT_EQ(r.info, "引数の数があいません");
    EXPECT_TRUE(r.printed.empty());

    MacroOutcome dim = RunMacro(Lines({u"DIM PRINT"}));
    EXPECT_EQ(dim.code, 2);
    MacroOutcome dimKey = RunMacro(Lines({u"DIM vk_a"}));
    EXPECT_EQ(dimKey.code, 2);
}

TEST(FacadeDispatch, FailingBuiltinEndsTheRun) {
    MacroOutcome r = RunMacro(Lines({u"PRINT 1", u"PRINT MID(\"abc\", 0)", u"PRINT 2"}));
    EXPECT_EQ(r.printed, std::vector<std::string>{"1"});
    EXPECT_EQ(r.code, 7);
    EXPECT_EQ(r.sub, 5);
    EXPECT_EQ(r.line, 2); // the line survives the built-in's clearing of the error object

    MacroOutcome inFunction =
        RunMacro(Lines({u"PRINT F(1)", u"", u"FUNCTION F(n)", u"F = LEFT(\"x\", -n)", u"END FUNCTION"}));
    EXPECT_EQ(inFunction.code, 7);
    EXPECT_EQ(inFunction.line, 4);
}

TEST(PrintOutput, LinesReachThePrintOutEvent) {
    MacroOutcome r =
        RunMacro(Lines({u"PRINT", u"PRINT 1, 2, 3", u"PRINT \"\", \"a\"", u"PRINT \"a\", \"\", \"b\"",
                        u"PRINT \"x\", 1.5", u"PRINT(7)", u"PRINT \"日本語\""}));
    EXPECT_EQ(r.code, 0) << r.info;
    EXPECT_EQ(r.printed, (std::vector<std::string>{"", "1\t2\t3", "a", "a\t\tb", "x\t1.5", "7", "日本語"}));

    // Directly: no event handler set is harmless; the result slot stays empty.
    BuiltinOutcome direct = CallBuiltin(u"PRINT", {S(u"q"), I(2)});
    EXPECT_EQ(direct.Code(), 0);
    EXPECT_TRUE(direct.result.IsEmpty());
    EXPECT_EQ(direct.printed, std::vector<std::u16string>{u"q\t2"});
}

TEST(FacadeMembers, YieldGoesToTheUserInterfaceUnlessSyncRun) {
    ScriptedUserInterface ui;
    cMoMacro macro(&ui);
    // 33 statements: the first yields, then every kStatementsPerYield-th (the 17th and the 33rd).
    std::u16string comments;
    for (int k = 0; k < 33; ++k) comments += u"' a comment\r\n";
    macro.SetMacroText(comments);
    ASSERT_EQ(macro.Error().ErrorCode(), 0);
    EXPECT_FALSE(macro.SyncRun());
    EXPECT_EQ(macro.Run(), 0);
    static_assert(UserInterface::kStatementsPerYield == 16);
    EXPECT_EQ(ui.yields, 3);

    ui.yields = 0;
    macro.SetSyncRun(true);
    EXPECT_TRUE(macro.SyncRun());
    EXPECT_EQ(macro.Run(), 0);
    EXPECT_EQ(ui.yields, 0);
    EXPECT_EQ(&macro.Error(), &macro.Engine().Error());
}

TEST(FacadeMembers, RunFunctionAndStop) {
    std::vector<std::string> printed;
    cMoMacro macro;
    macro.SetPrintOut([&](const std::u16string& line) { printed.push_back(U8(line)); });
    macro.SetSyncRun(true);
    macro.SetMacroText(Lines({u"PRINT \"main\"", u"SUB Hello()", u"PRINT \"hello\"", u"END SUB"}));
    ASSERT_EQ(macro.Error().ErrorCode(), 0);
    EXPECT_EQ(macro.RunFunction(u"hello"), 0);
    EXPECT_EQ(printed, std::vector<std::string>{"hello"});
    EXPECT_EQ(macro.Engine().UserFunctionCount(), 1);

    // A stop requested from inside the yield ends the run with code 100.
    struct StoppingUi : ScriptedUserInterface {
        cMoMacro* target = nullptr;
        void Yield() override {
            if (++yields == 2) target->ForceStop();
        }
    } ui;
    cMoMacro stoppable(&ui);
    ui.target = &stoppable;
    stoppable.SetMacroText(Lines({u"DIM i", u"WHILE 1", u"i = i + 1", u"WEND"}));
    EXPECT_EQ(stoppable.Run(), 100);
}

TEST(LibraryStateReset, RunFromTopResetsTheMouseModeOnly) {
    LibraryState::MouseAbsolute = 1;
    LibraryState::OriginSet = true;
    LibraryState::OriginX = 12;
    LibraryState::ImgX = 7;
    LibraryState::ResetForRunFromTop();
    EXPECT_EQ(LibraryState::MouseAbsolute, 0);
    EXPECT_FALSE(LibraryState::OriginSet);
    EXPECT_EQ(LibraryState::OriginX, 12);
    EXPECT_EQ(LibraryState::ImgX, 7);
    LibraryState::OriginX = 0;
    LibraryState::ImgX = 0;
}

TEST(ComputeLinePrompt, AsksOncePerNameAndKeepsTheAnswer) {
    ScriptedUserInterface ui;
    cMoMacro macro(&ui);
    MacroValue v = macro.ComputeLine(u"1 + 2");
    EXPECT_EQ(macro.Error().ErrorCode(), 0);
    EXPECT_EQ(U8(ToText(v)), "3");
    EXPECT_TRUE(ui.prompts.empty());
    EXPECT_EQ(U8(macro.MacroText()), "dim _\r\n_=1 + 2");

    ui.answers = {u"3"};
    v = macro.ComputeLine(u"x * 10 + x");
    EXPECT_EQ(macro.Error().ErrorCode(), 0) << U8(macro.Error().ErrorInformation());
    EXPECT_EQ(U8(ToText(v)), "33");
    ASSERT_EQ(ui.prompts.size(), 1u);
    EXPECT_EQ(U8(ui.prompts[0]), "x = ");
    EXPECT_EQ(U8(ui.titles[0]), "変数の値入力");

    ui.answers = {u"abc"};
    v = macro.ComputeLine(u"x");
    EXPECT_EQ(v.Kind(), ValueKind::String);
    EXPECT_EQ(U8(v.StringValue()), "abc");

    ui.answers = {u"&H10"};
    EXPECT_EQ(U8(ToText(macro.ComputeLine(u"x + 1"))), "17");

    ui.answers = {u" 5"}; // not a constant by the lexer's rule: kept as typed
    v = macro.ComputeLine(u"x");
    EXPECT_EQ(U8(v.StringValue()), " 5");

    ui.prompts.clear();
    ui.answers = {u"y-answer"};
    v = macro.ComputeLine(u"y()");
    EXPECT_EQ(ui.prompts.size(), 1u);
    EXPECT_EQ(U8(ToText(v)), "y-answer");

    EXPECT_EQ(U8(ToText(macro.ComputeLine(u"VK_A + 1"))), "66");
}

TEST(ComputeLinePrompt, RefusalsAndCancel) {
    ScriptedUserInterface ui;
    cMoMacro macro(&ui);
    MacroValue v = macro.ComputeLine(u"x + 1"); // no answer scripted: cancelled
    EXPECT_EQ(macro.Error().ErrorCode(), 5);
    EXPECT_EQ(U8(macro.Error().ErrorInformation()), "変数の値が入力されませんでした。- x");
    EXPECT_TRUE(v.IsEmpty());

    ui.prompts.clear();
    macro.ComputeLine(u"y(1)");
    EXPECT_EQ(macro.Error().ErrorCode(), 2);
    EXPECT_EQ(U8(macro.Error().ErrorInformation()),
              "未定義の関数が使用されたか、ComputeLineでは使用できない配列変数が使用されています。- y");
    EXPECT_TRUE(ui.prompts.empty());

    // Without a user interface, or without a display, nothing can be entered.
    cMoMacro bare;
    bare.ComputeLine(u"z");
    EXPECT_EQ(bare.Error().ErrorCode(), 5);
    ui.dialogs = false;
    macro.ComputeLine(u"z");
    EXPECT_EQ(macro.Error().ErrorCode(), 5);
    EXPECT_TRUE(ui.prompts.empty());

    // During Run an unknown name never prompts.
    ui.dialogs = true;
    ui.answers = {u"1"};
    macro.SetSyncRun(true);
    macro.SetMacroText(Lines({u"PRINT q"}));
    EXPECT_EQ(macro.Run(), 5);
    EXPECT_TRUE(ui.prompts.empty());
}

TEST(PlatformChecks, MissingSidesFailWithCodeSeven) {
    cMoMacro_Token args;
    MacroValue result;
    cMoMacro_Error error;
    BuiltinServices services;
    std::u16string name = u"MSGBOX";
    BuiltinCall call{name, args, result, error, services};
    EXPECT_FALSE(RequireDialogs(call));
    EXPECT_EQ(error.ErrorCode(), 7);
    EXPECT_NE(U8(error.ErrorInformation()).find("MSGBOX"), std::string::npos);

    ScriptedUserInterface ui;
    ui.dialogs = false;
    services.ui = &ui;
    error.Clear();
    EXPECT_FALSE(RequireDialogs(call));
    EXPECT_EQ(error.ErrorCode(), 7);
    ui.dialogs = true;
    error.Clear();
    EXPECT_TRUE(RequireDialogs(call));
    EXPECT_EQ(error.ErrorCode(), 0);

    EXPECT_FALSE(RequireDisplay(call, DesktopPart::Input));
    EXPECT_EQ(error.ErrorCode(), 7);
    error.Clear();
    EXPECT_FALSE(RequireDesktop(call));
    EXPECT_EQ(error.ErrorCode(), 7);
}
