// Tests of SHELL, WAIT and SOUND against a recording desktop: the program starts and styles handed on, the
// wait on a fake clock (also across the 2^31 and 2^32 wraps, and ended by a stop), the exact media command
// texts and the failures.
#include "builtin_support.h"
#include "macro_facade.h"
#include "process_desktop_double.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

std::vector<std::string> CommandsOf(const ProcessDesktopDouble& desktop) {
    std::vector<std::string> out;
    for (const std::u16string& c : desktop.commands) out.push_back(U8(c));
    return out;
}

} // namespace

TEST(ShellBuiltin, StartsWithTheCommandAndStyle) {
    ProcessDesktopDouble desktop;
    BuiltinOutcome one = CallWithDesktop(u"SHELL", {S(u"/usr/bin/xterm -T \"a b\"")}, &desktop);
    EXPECT_EQ(one.Code(), 0) << one.Info();
    EXPECT_EQ(one.result.Kind(), ValueKind::Double);
    EXPECT_EQ(one.Text(), "4242");
    BuiltinOutcome styled = CallWithDesktop(u"SHELL", {S(u"prog"), D(2.5)}, &desktop);
    EXPECT_EQ(styled.Code(), 0);
    BuiltinOutcome numeric = CallWithDesktop(u"SHELL", {D(12), I(6)}, &desktop);
    EXPECT_EQ(numeric.Code(), 0);
    ASSERT_EQ(desktop.starts.size(), 3u);
    EXPECT_EQ(U8(desktop.starts[0].commandLine), "/usr/bin/xterm -T \"a b\"");
    EXPECT_EQ(desktop.starts[0].style, 1); // normal with focus when no style is given
    EXPECT_EQ(desktop.starts[1].style, 2); // 2.5 rounds to the even neighbour
    EXPECT_EQ(U8(desktop.starts[2].commandLine), "12");
    EXPECT_EQ(desktop.starts[2].style, 6);
}

TEST(ShellBuiltin, FailuresOfTheStartAndOfTheArguments) {
    ProcessDesktopDouble desktop;
    desktop.startFailure = 53;
    BuiltinOutcome missing = CallWithDesktop(u"SHELL", {S(u"no-such-program")}, &desktop);
    EXPECT_EQ(missing.Code(), 7);
    EXPECT_EQ(missing.Sub(), 53);
    EXPECT_EQ(missing.Info(), "ファイルが見つかりません。");
    EXPECT_TRUE(missing.result.IsEmpty());

    desktop.startFailure = 5;
    BuiltinOutcome style = CallWithDesktop(u"SHELL", {S(u"prog"), I(5)}, &desktop);
    EXPECT_EQ(style.Code(), 7);
    EXPECT_EQ(style.Sub(), 5);

    // An unreadable style starts nothing.
    desktop.starts.clear();
    BuiltinOutcome typed = CallWithDesktop(u"SHELL", {S(u"prog"), S(u"x")}, &desktop);
    EXPECT_EQ(typed.Code(), 7);
    EXPECT_EQ(typed.Sub(), 13);
    BuiltinOutcome huge = CallWithDesktop(u"SHELL", {S(u"prog"), D(1e12)}, &desktop);
    EXPECT_EQ(huge.Sub(), 6);
    EXPECT_TRUE(desktop.starts.empty());
}

TEST(ProcessBuiltins, CountsAndAbsentDesktop) {
    ProcessDesktopDouble desktop;
    for (const auto& r :
         {CallWithDesktop(u"SHELL", {}, &desktop), CallWithDesktop(u"SHELL", {S(u"a"), I(1), I(1)}, &desktop),
          CallWithDesktop(u"WAIT", {}, &desktop), CallWithDesktop(u"WAIT", {I(1), I(1)}, &desktop),
          CallWithDesktop(u"SOUND", {}, &desktop),
          CallWithDesktop(u"SOUND", {I(1), I(2), I(3), I(4)}, &desktop)}) {
        EXPECT_EQ(r.Code(), 7);
        EXPECT_EQ(r.Info(), "引数の数があいません");
    }
    EXPECT_TRUE(desktop.starts.empty());
    EXPECT_TRUE(desktop.commands.empty());
    EXPECT_EQ(desktop.clockReads, 0);

    BuiltinOutcome shell = CallWithDesktop(u"SHELL", {S(u"prog")}, nullptr);
    EXPECT_EQ(shell.Code(), 7);
    EXPECT_EQ(shell.Info(), "この環境ではこの関数は使用できません - SHELL");
    EXPECT_EQ(CallWithDesktop(u"WAIT", {I(1)}, nullptr).Code(), 7);
    EXPECT_EQ(CallWithDesktop(u"SOUND", {S(u"play")}, nullptr).Code(), 7);
}

TEST(WaitBuiltin, WaitsUntilMoreThanTheCountHasPassed) {
    ProcessDesktopDouble desktop;
    ScriptedUserInterface ui;
    desktop.clockNow = 1000;
    BuiltinOutcome r = CallWithDesktop(u"WAIT", {I(10)}, &desktop, &ui);
    EXPECT_EQ(r.Code(), 0);
    EXPECT_EQ(r.result.Kind(), ValueKind::Int16);
    EXPECT_EQ(r.Text(), "0");
    // Readings 1000 (start), 1001 … 1011: the wait ends at the first elapsed time above 10.
    EXPECT_EQ(desktop.clockReads, 12);
    EXPECT_EQ(ui.yields, 11);

    ProcessDesktopDouble zero;
    CallWithDesktop(u"WAIT", {I(0)}, &zero, &ui);
    EXPECT_EQ(zero.clockReads, 2);

    ProcessDesktopDouble negative;
    ScriptedUserInterface once;
    EXPECT_EQ(CallWithDesktop(u"WAIT", {I(-5)}, &negative, &once).Code(), 0);
    EXPECT_EQ(once.yields, 1);
}

TEST(WaitBuiltin, ClockWrapsPastTwoToThe31And32) {
    for (uint32_t start : {0x7FFFFFF0u, 0xFFFFFFF0u}) {
        ProcessDesktopDouble desktop;
        desktop.clockNow = start;
        desktop.clockStep = 7;
        BuiltinOutcome r = CallWithDesktop(u"WAIT", {I(100)}, &desktop);
        EXPECT_EQ(r.Code(), 0) << start << " " << r.Info();
        // 15 steps of 7 are the first to exceed 100: the start reading plus 15 more.
        EXPECT_EQ(desktop.clockReads, 16) << start;
    }
}

TEST(WaitBuiltin, BadArgumentAndStopRequest) {
    ProcessDesktopDouble desktop;
    BuiltinOutcome typed = CallWithDesktop(u"WAIT", {S(u"x")}, &desktop);
    EXPECT_EQ(typed.Code(), 7);
    EXPECT_EQ(typed.Sub(), 13);

    ProcessDesktopDouble endless;
    bool stop = false;
    endless.onClockRead = [&] {
        if (endless.clockReads == 5) stop = true;
    };
    BuiltinOutcome stopped = CallWithDesktop(u"WAIT", {I(2000000000)}, &endless, nullptr, &stop);
    EXPECT_EQ(stopped.Code(), 0);
    EXPECT_LE(endless.clockReads, 6);
}

TEST(SoundBuiltin, ExactCommandTexts) {
    ProcessDesktopDouble desktop;
    BuiltinOutcome open = CallWithDesktop(u"SOUND", {S(u"open"), S(u"c:\\a.wav")}, &desktop);
    EXPECT_EQ(open.Code(), 0);
    EXPECT_EQ(open.result.Kind(), ValueKind::Int16);
    EXPECT_EQ(open.Text(), "0");
    CallWithDesktop(u"SOUND", {S(u"OPEN"), S(u"a.mid"), S(u" type sequencer")}, &desktop);
    CallWithDesktop(u"SOUND", {S(u"Open"), S(u"音 楽.wav"), S(u"")}, &desktop);
    CallWithDesktop(u"SOUND", {S(u"play"), S(u" wait")}, &desktop);
    CallWithDesktop(u"SOUND", {S(u"play"), S(u" from 0"), I(1)}, &desktop);
    CallWithDesktop(u"SOUND", {S(u"PLAY")}, &desktop);
    CallWithDesktop(u"SOUND", {S(u"pause")}, &desktop);
    CallWithDesktop(u"SOUND", {S(u"stop"), S(u" extra")}, &desktop);
    CallWithDesktop(u"SOUND", {S(u"cLoSe")}, &desktop);
    CallWithDesktop(u"SOUND", {S(u"play"), I(12)}, &desktop);
    EXPECT_EQ(CommandsOf(desktop), (std::vector<std::string>{
                                       "open \"c:\\a.wav\" alias mysound",
                                       "open \"a.mid\" alias mysound type sequencer",
                                       "open \"音 楽.wav\" alias mysound",
                                       "play mysound wait",
                                       "play mysound",
                                       "play mysound",
                                       "pause mysound",
                                       "stop mysound extra",
                                       "close mysound",
                                       "play mysound12",
                                   }));
}

TEST(SoundBuiltin, SubcommandsThatSendNothing) {
    ProcessDesktopDouble desktop;
    for (const auto& r : {CallWithDesktop(u"SOUND", {S(u"REWIND")}, &desktop),
                          CallWithDesktop(u"SOUND", {I(1), S(u"x")}, &desktop),
                          CallWithDesktop(u"SOUND", {S(u" play")}, &desktop)}) {
        EXPECT_EQ(r.Code(), 0);
        EXPECT_EQ(r.result.Kind(), ValueKind::Int16);
        EXPECT_EQ(r.Text(), "0");
    }
    EXPECT_TRUE(desktop.commands.empty());
}

TEST(SoundBuiltin, MediaAnswersAreResultsNotErrors) {
    ProcessDesktopDouble desktop;
    desktop.answers = {275, 263, 70000};
    BuiltinOutcome missing = CallWithDesktop(u"SOUND", {S(u"open"), S(u"/nowhere.wav")}, &desktop);
    EXPECT_EQ(missing.Code(), 0);
    EXPECT_EQ(missing.Text(), "275");
    EXPECT_EQ(CallWithDesktop(u"SOUND", {S(u"play")}, &desktop).Text(), "263");
    // An answer beyond 16 bits cannot be the result.
    BuiltinOutcome wide = CallWithDesktop(u"SOUND", {S(u"stop")}, &desktop);
    EXPECT_EQ(wide.Code(), 7);
    EXPECT_EQ(wide.Sub(), 6);
}

TEST(SoundBuiltin, OpenWithoutAFileSendsAnEmptyNameAndReportsIt) {
    ProcessDesktopDouble desktop;
    desktop.answers = {275};
    BuiltinOutcome r = CallWithDesktop(u"SOUND", {S(u"open")}, &desktop);
    EXPECT_EQ(CommandsOf(desktop), std::vector<std::string>{"open \"\" alias mysound"});
    EXPECT_EQ(r.Code(), 7);
    EXPECT_EQ(r.Sub(), 5);
}

TEST(SoundBuiltin, WaitTurnYieldsAndEndsOnStop) {
    ProcessDesktopDouble desktop;
    ScriptedUserInterface ui;
    desktop.waitTurnsPerCommand = 4;
    CallWithDesktop(u"SOUND", {S(u"play"), S(u" wait")}, &desktop, &ui);
    EXPECT_EQ(ui.yields, 4);
    EXPECT_FALSE(desktop.waitEndedEarly);

    bool stop = true;
    desktop.waitTurnsTaken = 0;
    CallWithDesktop(u"SOUND", {S(u"play"), S(u" wait")}, &desktop, &ui, &stop);
    EXPECT_TRUE(desktop.waitEndedEarly);
    EXPECT_EQ(desktop.waitTurnsTaken, 1);
}

TEST(ProcessBuiltins, MacroRunThroughTheFacade) {
    ProcessDesktopDouble desktop;
    ScriptedUserInterface ui;
    desktop.answers = {0, 289};
    cMoMacro macro(&ui, &desktop);
    std::vector<std::string> printed;
    macro.SetPrintOut([&](const std::u16string& line) { printed.push_back(U8(line)); });
    macro.SetSyncRun(true);
    macro.SetMacroText(Lines({u"PRINT sound(\"open\", \"x.wav\")", u"PRINT Sound(\"OPEN\", \"y.wav\")",
                              u"WAIT 3", u"PRINT SHELL(\"prog a\", 4)"}));
    ASSERT_EQ(macro.Error().ErrorCode(), 0) << U8(macro.Error().ErrorInformation());
    EXPECT_EQ(macro.Run(), 0) << U8(macro.Error().ErrorInformation());
    EXPECT_EQ(printed, (std::vector<std::string>{"0", "289", "4242"}));
}

TEST(ProcessBuiltins, StopDuringALongWaitEndsTheRun) {
    ProcessDesktopDouble desktop;
    ScriptedUserInterface ui;
    cMoMacro macro(&ui, &desktop);
    std::vector<std::string> printed;
    macro.SetPrintOut([&](const std::u16string& line) { printed.push_back(U8(line)); });
    desktop.onClockRead = [&] {
        if (desktop.clockReads == 10) macro.ForceStop();
    };
    macro.SetMacroText(Lines({u"PRINT 1", u"WAIT 100000000", u"PRINT 2"}));
    EXPECT_EQ(macro.Run(), 100);
    EXPECT_EQ(printed, std::vector<std::string>{"1"});
}
