// Tests of statement execution and the run loop: FOR/NEXT, IF/ELSE/END IF, WHILE/WEND, the EXIT forms, END,
// DIM scopes, run-time type and structure errors, the yield before each statement and ForceStop.
#include "engine_test_host.h"
#include "failure_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qm_test::TestHost;
using Lines = std::vector<std::u16string>;

// Lets a macro that should end by itself run at most `limit` statements; a run that loops ends with code 100.
void Budget(TestHost& host, int limit) {
    host.engine.SetSyncRun(false);
    auto count = std::make_shared<int>(0);
    host.engine.SetYield([&host, count, limit] {
        if (++*count > limit) host.engine.ForceStop();
    });
}

TEST(RunLoop, MainProgramEndsAtFirstDefinitionOrEnd) {
    TestHost host;
    EXPECT_EQ(host.Run(u"PRINT 1\nSUB Later()\nPRINT 2\nEND SUB\nPRINT 3\n"), 0);
    EXPECT_EQ(host.output, Lines{u"1"});

    host.output.clear();
    EXPECT_EQ(host.Run(u"PRINT 1\nEND\nPRINT 2\n"), 0);
    EXPECT_EQ(host.output, Lines{u"1"});
}

TEST(RunLoop, TheLineAfterARunIsTheLineItEndedAt) {
    TestHost host;
    // A host that yields seldom, so the lines are not those a yield was shown.
    host.engine.SetYield([] {}, 1 << 30);
    // The main program ends at the first definition; a call ends at its function's end and gives the caller
    // its own line back, so an error after the call names the caller's line.
    EXPECT_EQ(host.Run(u"dim r\nr = f(2)\nPRINT r\nFUNCTION f(n)\n  f = n * 2\nEND FUNCTION\n"), 0);
    EXPECT_EQ(host.Line(), 4);
    EXPECT_EQ(host.Run(u"dim r\nr = f(2) + \"a\"\nFUNCTION f(n)\n  f = n * 2\nEND FUNCTION\n"), 4);
    EXPECT_EQ(host.Line(), 2);
    EXPECT_EQ(host.Run(u"dim r\nr = 1\nSUB s()\nEND SUB\n"), 0);
    EXPECT_EQ(host.Line(), 3);
}

TEST(RunLoop, PendingErrorsBlockRunsAndSuccessfulRunsRepeat) {
    TestHost host;
    EXPECT_EQ(host.Run(u"PRINT 1\nNEXT\n"), 3);
    EXPECT_EQ(host.engine.Run(), 3);
    EXPECT_TRUE(host.output.empty());

    // A successful run may be repeated; each run starts with fresh variable stores.
    host.engine.SetMacroText(qm_test::Crlf(u"dim x\nx = 1\nPRINT x\n"));
    EXPECT_EQ(host.engine.Run(), 0);
    EXPECT_EQ(host.engine.Run(), 0) << ToUtf8(host.Info());
    EXPECT_EQ(host.output, (Lines{u"1", u"1"}));
    EXPECT_EQ(host.GlobalText(u"x"), u"1");

    // Error lines count blank lines.
    EXPECT_EQ(host.Run(u"\n\ndim x\n\ny = 1\n"), 5);
    EXPECT_EQ(host.Line(), 5);
}

TEST(RunLoop, ForLoopsCountAndStep) {
    TestHost host;
    ASSERT_EQ(host.Run(u"dim i, j, k, none, x, a(3)\n"
                       u"FOR none = 1 TO 0\n"
                       u"PRINT \"body\"\n"
                       u"NEXT\n"
                       u"FOR i = 1 TO 3\n"
                       u"NEXT\n"
                       u"FOR j = 3 TO 1 STEP -1\n"
                       u"PRINT j\n"
                       u"NEXT\n"
                       u"FOR k = 0 TO 1 STEP 0.5\n"
                       u"PRINT k\n"
                       u"NEXT\n"
                       u"FOR x = 1 TO 2 STEP 0\n"
                       u"PRINT \"zero\"\n"
                       u"NEXT\n"
                       u"FOR a(2) = 1 TO 7 STEP 3\n"
                       u"PRINT a(2)\n"
                       u"NEXT\n"),
              0)
        << ToUtf8(host.Info());
    EXPECT_EQ(host.GlobalText(u"none"), u"1");
    EXPECT_EQ(host.GlobalText(u"i"), u"4");
    EXPECT_EQ(host.GlobalText(u"j"), u"0");
    EXPECT_EQ(host.GlobalText(u"a", 2), u"10");
    EXPECT_EQ(host.output, (Lines{u"3", u"2", u"1", u"0", u"0.5", u"1", u"1", u"4", u"7"}));
}

TEST(RunLoop, ForEndAndStepAreEvaluatedAtEveryTest) {
    TestHost host;
    ASSERT_EQ(host.Run(u"dim i, n, s\n"
                       u"n = 3\n"
                       u"FOR i = 1 TO n\n"
                       u"PRINT i\n"
                       u"n = 5\n"
                       u"NEXT\n"
                       u"s = 1\n"
                       u"FOR i = 1 TO 20 STEP s\n"
                       u"PRINT i\n"
                       u"s = s * 2\n"
                       u"NEXT\n"),
              0)
        << ToUtf8(host.Info());
    EXPECT_EQ(host.output, (Lines{u"1", u"2", u"3", u"4", u"5", u"1", u"3", u"7", u"15"}));
}

TEST(RunLoop, ForWithZeroStepFromTheEndNeverFinishes) {
    TestHost host;
    Budget(host, 500);
    EXPECT_EQ(host.Run(u"dim i\nFOR i = 2 TO 2 STEP 0\nNEXT\n"), 100);
}

TEST(RunLoop, ForValuesMustBeNumbers) {
    TestHost host;
    EXPECT_EQ(host.Run(u"dim i\nFOR i = 1 TO \"a\"\nNEXT\n"), 2);
    EXPECT_EQ(host.Info(), u"データ型があいません");
    EXPECT_EQ(host.Line(), 2);
    EXPECT_EQ(host.Run(u"dim i\nFOR i = \"a\" TO 3\nNEXT\n"), 2);
    EXPECT_EQ(host.Info(), u"データ型があいません");
    EXPECT_EQ(host.Run(u"dim i, s\ns = \"x\"\nFOR i = 1 TO 3 STEP s\nNEXT\n"), 2);
    EXPECT_EQ(host.Info(), u"データ型があいません");

    // The body turns the loop variable into text: NEXT's addition fails.
    EXPECT_EQ(host.Run(u"dim i\nFOR i = 1 TO 3\ni = \"abc\"\nNEXT\n"), 4);
    EXPECT_EQ(host.engine.Error().ErrorCodeSub(), 13);
    EXPECT_EQ(host.Info(), FailureDescription(13));
    EXPECT_EQ(host.Line(), 4);
}

TEST(RunLoop, IfTakesOneBranch) {
    TestHost host;
    ASSERT_EQ(host.Run(u"dim e, v\n"
                       u"v = 2\n"
                       u"IF v = 2 THEN\n"
                       u"PRINT \"yes\"\n"
                       u"ELSE\n"
                       u"PRINT \"no\"\n"
                       u"END IF\n"
                       u"IF e THEN\n"
                       u"PRINT \"empty is true\"\n"
                       u"ELSE\n"
                       u"PRINT \"empty is false\"\n"
                       u"END IF\n"
                       u"IF 0 THEN\n"
                       u"PRINT \"skipped\"\n"
                       u"END IF\n"
                       u"IF v THEN\n"
                       u"IF v > 5 THEN\n"
                       u"PRINT \"big\"\n"
                       u"ELSE\n"
                       u"PRINT \"small\"\n"
                       u"END IF\n"
                       u"END IF\n"
                       u"PRINT \"end\"\n"),
              0)
        << ToUtf8(host.Info());
    EXPECT_EQ(host.output, (Lines{u"yes", u"empty is false", u"small", u"end"}));

    EXPECT_EQ(host.Run(u"IF \"a\" THEN\nEND IF\n"), 2);
    EXPECT_EQ(host.Info(), u"データ型が合いません");
    EXPECT_EQ(host.Line(), 1);
}

TEST(RunLoop, IfWithSeveralElseRunsOnlyTheFirstElseBranch) {
    const std::u16string block = u"PRINT \"one\"\n"
                                 u"ELSE\n"
                                 u"PRINT \"two\"\n"
                                 u"ELSE\n"
                                 u"PRINT \"three\"\n"
                                 u"END IF\n"
                                 u"PRINT \"after\"\n";
    TestHost host;
    Budget(host, 100);
    EXPECT_EQ(host.Run(u"IF 1 THEN\n" + block), 0);
    EXPECT_EQ(host.output, (Lines{u"one", u"after"}));
    host.output.clear();
    Budget(host, 100);
    EXPECT_EQ(host.Run(u"IF 0 THEN\n" + block), 0);
    EXPECT_EQ(host.output, (Lines{u"two", u"after"}));
}

TEST(RunLoop, WhileLoopsAndNesting) {
    TestHost host;
    Budget(host, 5000);
    ASSERT_EQ(host.Run(u"dim n, i, j, total\n"
                       u"WHILE n < 3\n"
                       u"n = n + 1\n"
                       u"WEND\n"
                       u"WHILE 0\n"
                       u"PRINT \"never\"\n"
                       u"WEND\n"
                       u"FOR i = 1 TO 3\n"
                       u"IF i <> 2 THEN\n"
                       u"j = 0\n"
                       u"WHILE j < i\n"
                       u"j = j + 1\n"
                       u"total = total + 1\n"
                       u"WEND\n"
                       u"END IF\n"
                       u"NEXT\n"
                       u"j = 0\n"
                       u"WHILE j < 2\n"
                       u"j = j + 1\n"
                       u"IF j = 1 THEN\n"
                       u"FOR i = 1 TO 2\n"
                       u"total = total + 10\n"
                       u"NEXT\n"
                       u"END IF\n"
                       u"WEND\n"),
              0)
        << ToUtf8(host.Info());
    EXPECT_EQ(host.GlobalText(u"n"), u"3");
    EXPECT_EQ(host.GlobalText(u"total"), u"24");
    EXPECT_TRUE(host.output.empty());

    EXPECT_EQ(host.Run(u"WHILE \"a\"\nWEND\n"), 2);
    EXPECT_EQ(host.Info(), u"データ型が合いません");
}

TEST(RunLoop, ExitLeavesTheInnermostMatchingBlock) {
    TestHost host;
    Budget(host, 5000);
    ASSERT_EQ(host.Run(u"dim i, j, n, r\n"
                       u"FOR i = 1 TO 3\n"
                       u"FOR j = 1 TO 10\n"
                       u"IF j = 2 THEN\n"
                       u"EXIT FOR\n"
                       u"END IF\n"
                       u"NEXT\n"
                       u"PRINT i ; j\n"
                       u"NEXT\n"
                       u"WHILE 1\n"
                       u"n = n + 1\n"
                       u"FOR j = 1 TO 5\n"
                       u"IF n = 3 THEN\n"
                       u"EXIT WHILE\n"
                       u"END IF\n"
                       u"NEXT\n"
                       u"WEND\n"
                       u"PRINT \"n\" ; n\n"
                       u"IF 1 THEN\n"
                       u"WHILE 1\n"
                       u"EXIT IF\n"
                       u"WEND\n"
                       u"PRINT \"not here\"\n"
                       u"END IF\n"
                       u"Leave\n"
                       u"r = Early()\n"
                       u"PRINT r\n"
                       u"EXIT SUB\n"
                       u"PRINT \"ended\"\n"
                       u"SUB Leave()\n"
                       u"PRINT \"in\"\n"
                       u"EXIT SUB\n"
                       u"PRINT \"out\"\n"
                       u"END SUB\n"
                       u"FUNCTION Early()\n"
                       u"Early = 8\n"
                       u"EXIT FUNCTION\n"
                       u"Early = 9\n"
                       u"END FUNCTION\n"),
              0)
        << ToUtf8(host.Info());
    EXPECT_EQ(host.output, (Lines{u"12", u"22", u"32", u"n3", u"in", u"8"}));
}

TEST(RunLoop, ExitWithoutItsBlockIsAStructureError) {
    TestHost host;
    EXPECT_EQ(host.Run(u"PRINT 1\nEXIT FOR\n"), 3);
    EXPECT_EQ(host.Info(), u"EXIT FORに対応するFORがありません");
    EXPECT_EQ(host.Line(), 2);
    EXPECT_EQ(host.engine.Error().ErrorMsg(), u"構文エラーです");
    EXPECT_EQ(host.Run(u"dim i\nFOR i = 1 TO 2\nEXIT WHILE\nNEXT\n"), 3);
    EXPECT_EQ(host.Info(), u"EXIT WHILEに対応するWHILEがありません");
    EXPECT_EQ(host.Run(u"EXIT IF\n"), 3);
    EXPECT_EQ(host.Info(), u"EXIT IFに対応するIFがありません");
    // A called SUB has a block stack of its own: the caller's FOR is not visible to it.
    EXPECT_EQ(host.Run(u"dim i\nFOR i = 1 TO 2\nBreak\nNEXT\nSUB Break()\nEXIT FOR\nEND SUB\n"), 3);
    EXPECT_EQ(host.Info(), u"EXIT FORに対応するFORがありません");
    EXPECT_EQ(host.Line(), 6);
}

TEST(RunLoop, EndInsideACallEndsTheWholeRun) {
    TestHost host;
    EXPECT_EQ(host.Run(u"PRINT 1\nStop\nPRINT 2\nSUB Stop()\nPRINT \"s\"\nEND\nPRINT \"t\"\nEND SUB\n"), 0);
    EXPECT_EQ(host.output, (Lines{u"1", u"s"}));

    // The statement that made the call completes; nothing after it runs.
    host.output.clear();
    EXPECT_EQ(host.Run(u"dim r\nr = Quit()\nPRINT 2\nFUNCTION Quit()\nQuit = 5\nEND\nEND FUNCTION\n"), 0);
    EXPECT_EQ(host.GlobalText(u"r"), u"5");
    EXPECT_TRUE(host.output.empty());
}

TEST(RunLoop, DimCreatesGlobalsAndLocals) {
    TestHost host;
    ASSERT_EQ(host.Run(u"dim x, n\n"
                       u"n = 4\n"
                       u"dim a(n), b(1.5), c(2.5)\n"
                       u"a(4) = 1\n"
                       u"b(2) = 1\n"
                       u"c(2) = 1\n"
                       u"x = 1\n"
                       u"Local\n"
                       u"Local\n"
                       u"SUB Local()\n"
                       u"dim x\n"
                       u"x = 2\n"
                       u"END SUB\n"),
              0)
        << ToUtf8(host.Info());
    EXPECT_EQ(host.GlobalText(u"x"), u"1");
    EXPECT_EQ(host.GlobalText(u"a", 4), u"1");
    EXPECT_EQ(host.engine.GlobalVariable()->SearchIndex(u"x"), 0);

    EXPECT_EQ(host.Run(u"dim b(1.5)\nb(3) = 1\n"), 6);
    EXPECT_EQ(host.Info(), u"添字が範囲外です - b");
}

TEST(RunLoop, YieldRunsBeforeEveryStatementUnlessSyncRun) {
    const std::u16string text = u"dim i\n"
                                u"' comment\n"
                                u"\n"
                                u"FOR i = 1 TO 3\n"
                                u"NEXT\n"
                                u"Count\n"
                                u"SUB Count()\n"
                                u"PRINT i\n"
                                u"END SUB\n";
    TestHost host;
    int yields = 0;
    host.engine.SetYield([&yields] { ++yields; });
    EXPECT_TRUE(host.engine.SyncRun()); // the test host switched it on
    EXPECT_EQ(host.Run(text), 0);
    EXPECT_EQ(yields, 0);

    host.engine.SetSyncRun(false);
    EXPECT_EQ(host.Run(text), 0);
    // dim, comment, FOR, three NEXTs, the call, PRINT and END SUB inside it, and the SUB line that ends the
    // run.
    EXPECT_EQ(yields, 10);

    cMoMacro_Engine fresh;
    EXPECT_FALSE(fresh.SyncRun());
}

TEST(RunLoop, ForceStopFromTheYieldEndsTheRunWithCodeOneHundred) {
    TestHost host;
    host.engine.SetSyncRun(false);
    int yields = 0;
    host.engine.SetYield([&] {
        if (++yields == 2) host.engine.ForceStop();
    });
    EXPECT_EQ(host.Run(u"PRINT 1\nPRINT 2\nPRINT 3\nPRINT 4\n"), 100);
    // The statement during whose yield the stop came still runs; the next one does not.
    EXPECT_EQ(host.output, (Lines{u"1", u"2"}));
    EXPECT_EQ(host.Info(), u"");
    EXPECT_EQ(host.engine.Error().ErrorMsg(), u"ユーザによって終了されました");

    // Without a new text the next run returns the pending code at once.
    yields = 100;
    EXPECT_EQ(host.engine.Run(), 100);
    EXPECT_EQ(yields, 100);
    EXPECT_EQ(host.output.size(), 2u);

    // The same for assignments that run in place: the one during whose yield the stop came still adds.
    yields = 0;
    host.engine.SetYield([&] {
        if (++yields == 3) host.engine.ForceStop();
    });
    EXPECT_EQ(host.Run(u"DIM n\nn = n + 1\nn = n + 1\nn = n + 1\nn = n + 1\n"), 100);
    EXPECT_EQ(host.GlobalText(u"n"), u"2");
    EXPECT_EQ(host.engine.Error().ErrorLine(), 3); // the stop names the line it came at

    // Each yield sees the line of the statement about to run, in-place statements included.
    std::vector<int32_t> seen;
    host.engine.SetYield([&] { seen.push_back(host.engine.Error().ErrorLine()); });
    EXPECT_EQ(host.Run(u"DIM n, i\nFOR i = 1 TO 2\nn = n + i\nNEXT\nPRINT n\n"), 0);
    EXPECT_EQ(seen, (std::vector<int32_t>{1, 2, 3, 4, 3, 4, 5}));

    // An endless loop inside a called function is stopped too.
    yields = 0;
    host.engine.SetYield([&] {
        if (++yields == 50) host.engine.ForceStop();
    });
    EXPECT_EQ(host.Run(u"Spin\nSUB Spin()\nWHILE 1\nWEND\nEND SUB\n"), 100);
    EXPECT_EQ(yields, 50);
}

TEST(RunLoop, ForceStopOverridesTheErrorOfTheRunningStatement) {
    TestHost host;
    host.functions[u"HALT"] = [&host](const std::vector<MacroValue>&, cMoMacro_Error& error) {
        host.engine.ForceStop();
        error.Report(7, u"途中");
        return MacroValue();
    };
    EXPECT_EQ(host.Run(u"PRINT 1\nHalt\nPRINT 2\n"), 100);
    EXPECT_EQ(host.Info(), u"");
    EXPECT_EQ(host.output, Lines{u"1"});

    // A stop requested before a run is forgotten when the run starts.
    host.engine.ForceStop();
    host.output.clear();
    EXPECT_EQ(host.Run(u"PRINT 1\n"), 0);
    EXPECT_EQ(host.output, Lines{u"1"});
}

} // namespace
