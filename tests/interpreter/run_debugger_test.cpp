// Debugging a run: breakpoints (and where those on lines that cannot pause land), every stepping command over
// nested calls, loops and IF/ELSE, an error in a stepped line, a stop while paused, a pause asked from the
// yield, and the calls and variables a paused run shows.
#include "engine_test_host.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using qm_test::TestHost;

namespace {

// A host that answers each pause with the next command of its script (Continue when the script is spent)
// and writes down what it saw: the line, and on request the calls and variables.
class ScriptedDebugger : public DebugHost {
  public:
    struct Command {
        DebugStep step = DebugStep::Continue;
        int32_t line = 0; // for RunToLine
    };

    std::deque<Command> script;
    std::vector<int32_t> pausedAt;
    std::vector<std::string> frames;    // per pause: "F@5 <main>@2"
    std::vector<std::string> variables; // per pause: the innermost call's locals, then " | " and the globals
    std::vector<std::u16string> output; // what PRINT had written at each pause
    const std::vector<std::u16string>* printed = nullptr;

    DebugStep Paused(cMoMacro_Engine& engine, int32_t& line) override {
        EXPECT_TRUE(engine.DebugPaused());
        pausedAt.push_back(engine.DebugFrames().at(0).line);
        std::string calls;
        for (const DebugFrame& frame : engine.DebugFrames())
            calls += (calls.empty() ? "" : " ") +
                     (frame.function.empty() ? std::string("<main>") : ToUtf8(frame.function)) + "@" +
                     std::to_string(frame.line);
        frames.push_back(calls);
        variables.push_back(Describe(engine.DebugLocals(0)) + " | " + Describe(engine.DebugGlobals()));
        if (printed != nullptr) output.push_back(printed->empty() ? u"" : printed->back());
        if (script.empty()) return DebugStep::Continue;
        const Command next = script.front();
        script.pop_front();
        line = next.line;
        return next.step;
    }

    static std::string Describe(const std::vector<DebugVariable>& list) {
        std::string text;
        for (const DebugVariable& v : list) {
            text += (text.empty() ? "" : " ") + ToUtf8(v.name) + "=";
            switch (v.kind) {
            case DebugVariable::Kind::Array:
                text += "array(" + std::to_string(v.last) + ")";
                break;
            case DebugVariable::Kind::Text:
                text += "\"" + ToUtf8(v.value) + "\"";
                break;
            case DebugVariable::Kind::Empty:
                text += "empty";
                break;
            case DebugVariable::Kind::Number:
                text += ToUtf8(v.value);
                break;
            }
        }
        return text;
    }
};

const char16_t kCalls[] = u"dim r, i\n"           // 1
                          u"r = Outer(2)\n"       // 2
                          u"PRINT r\n"            // 3
                          u"i = 0\n"              // 4
                          u"FUNCTION Outer(a)\n"  // 5
                          u"  dim t\n"            // 6
                          u"  t = Inner(a) + 1\n" // 7
                          u"  Outer = t\n"        // 8
                          u"END FUNCTION\n"       // 9
                          u"FUNCTION Inner(b)\n"  // 10
                          u"  Inner = b * 10\n"   // 11
                          u"END FUNCTION\n";      // 12

ScriptedDebugger::Command Step(DebugStep step, int32_t line = 0) {
    return ScriptedDebugger::Command{step, line};
}

} // namespace

TEST(RunDebugger, BreakpointsLandOnLinesThatCanPauseAndPauseBeforeTheirLine) {
    TestHost host;
    ScriptedDebugger debugger;
    debugger.printed = &host.output;
    host.engine.SetDebugHost(&debugger);
    host.engine.SetMacroText(qm_test::Crlf(u"dim x\n"            // 1
                                           u"\n"                 // 2
                                           u"' a comment\n"      // 3
                                           u"x = 1\n"            // 4
                                           u"IF x = 1 THEN\n"    // 5
                                           u"  PRINT \"yes\"\n"  // 6
                                           u"ELSE\n"             // 7
                                           u"  PRINT \"no\"\n"   // 8
                                           u"END IF\n"           // 9
                                           u"PRINT \"end\"\n")); // 10
    // The blank line and the comment move to line 4, ELSE to 8, END IF to 10; 4 is asked twice.
    EXPECT_EQ(host.engine.SetBreakpoints({2, 3, 4, 7, 9}), (std::vector<int32_t>{4, 8, 10}));
    EXPECT_EQ(host.engine.Run(), 0) << ToUtf8(host.Info());
    // Line 8 is in the branch not taken; each pause comes before its line ran.
    EXPECT_EQ(debugger.pausedAt, (std::vector<int32_t>{4, 10}));
    EXPECT_EQ(debugger.variables[0], " | X=empty");
    EXPECT_EQ(debugger.output, (std::vector<std::u16string>{u"", u"yes"}));
    EXPECT_EQ(host.output, (std::vector<std::u16string>{u"yes", u"end"}));

    // Without a host the same breakpoints pause nothing.
    host.engine.SetDebugHost(nullptr);
    debugger.pausedAt.clear();
    host.output.clear();
    EXPECT_EQ(host.engine.Run(), 0);
    EXPECT_TRUE(debugger.pausedAt.empty());
    EXPECT_EQ(host.output.size(), 2u);
}

TEST(RunDebugger, SteppingOverIntoAndOutOfNestedCalls) {
    TestHost host;
    ScriptedDebugger debugger;
    host.engine.SetDebugHost(&debugger);
    host.engine.SetMacroText(qm_test::Crlf(kCalls));
    host.engine.SetBreakpoints({2});
    // At 2: into Outer (6), over DIM (7), into Inner (11), out to the rest of Outer (8), over to the main
    // part (3, since END FUNCTION cannot pause), over to 4, then on to the end.
    debugger.script = {Step(DebugStep::StepInto), Step(DebugStep::StepOver), Step(DebugStep::StepInto),
                       Step(DebugStep::StepOut),  Step(DebugStep::StepOver), Step(DebugStep::StepOver)};
    EXPECT_EQ(host.engine.Run(), 0) << ToUtf8(host.Info());
    EXPECT_EQ(debugger.pausedAt, (std::vector<int32_t>{2, 6, 7, 11, 8, 3, 4}));
    EXPECT_EQ(debugger.frames[3], "INNER@11 OUTER@7 <main>@2");
    EXPECT_EQ(debugger.frames[4], "OUTER@8 <main>@2");
    // The innermost call's variables (its result variable, its parameters, its own), then the globals.
    EXPECT_EQ(debugger.variables[3], "INNER=empty B=2 | R=empty I=empty");
    EXPECT_EQ(debugger.variables[4], "OUTER=empty A=2 T=21 | R=empty I=empty");
    EXPECT_EQ(debugger.variables[5], " | R=21 I=empty");

    // Stepping over a line that calls runs the whole call as one step.
    debugger.pausedAt.clear();
    debugger.script = {Step(DebugStep::StepOver), Step(DebugStep::StepOver)};
    EXPECT_EQ(host.engine.Run(), 0);
    EXPECT_EQ(debugger.pausedAt, (std::vector<int32_t>{2, 3, 4}));

    // A breakpoint inside a call stops a step over it there.
    host.engine.SetBreakpoints({2, 11});
    debugger.pausedAt.clear();
    debugger.script = {Step(DebugStep::StepOver), Step(DebugStep::StepOut), Step(DebugStep::StepOut)};
    EXPECT_EQ(host.engine.Run(), 0);
    EXPECT_EQ(debugger.pausedAt, (std::vector<int32_t>{2, 11, 8, 3}));
}

TEST(RunDebugger, StepsFollowLoopsAndBranchesAndRunToALine) {
    TestHost host;
    ScriptedDebugger debugger;
    host.engine.SetDebugHost(&debugger);
    host.engine.SetMacroText(qm_test::Crlf(u"dim i, s\n"        // 1
                                           u"FOR i = 1 TO 2\n"  // 2
                                           u"  IF i = 1 THEN\n" // 3
                                           u"    s = s + 1\n"   // 4
                                           u"  ELSE\n"          // 5
                                           u"    s = s + 10\n"  // 6
                                           u"  END IF\n"        // 7
                                           u"NEXT\n"            // 8
                                           u"WHILE s < 13\n"    // 9
                                           u"  s = s + 1\n"     // 10
                                           u"WEND\n"            // 11
                                           u"PRINT s\n"));      // 12
    host.engine.SetBreakpoints({1});
    debugger.script.assign(11, Step(DebugStep::StepOver));
    debugger.script.push_back(Step(DebugStep::RunToLine, 12));
    EXPECT_EQ(host.engine.Run(), 0) << ToUtf8(host.Info());
    EXPECT_EQ(debugger.pausedAt, (std::vector<int32_t>{1, 2, 3, 4, 8, 3, 6, 8, 9, 10, 11, 9, 12}));
    EXPECT_EQ(host.output, (std::vector<std::u16string>{u"13"}));
}

TEST(RunDebugger, AnErrorInASteppedLineEndsTheRunAtThatLine) {
    TestHost host;
    ScriptedDebugger debugger;
    host.engine.SetDebugHost(&debugger);
    host.engine.SetMacroText(qm_test::Crlf(u"dim r\nr = 1\nr = f(2)\nPRINT r\n"
                                           u"FUNCTION f(n)\n  f = n + \"a\"\nEND FUNCTION\n"));
    host.engine.SetBreakpoints({2});
    debugger.script = {Step(DebugStep::StepOver), Step(DebugStep::StepInto), Step(DebugStep::StepOver)};
    const int32_t code = host.engine.Run();
    EXPECT_NE(code, 0);
    EXPECT_EQ(host.Line(), 6);
    EXPECT_EQ(debugger.pausedAt, (std::vector<int32_t>{2, 3, 6}));
    EXPECT_TRUE(host.output.empty());

    // The same run without a debugger fails the same way.
    TestHost plain;
    EXPECT_EQ(plain.Run(u"dim r\nr = 1\nr = f(2)\nPRINT r\nFUNCTION f(n)\n  f = n + \"a\"\nEND FUNCTION\n"),
              code);
    EXPECT_EQ(plain.Info(), host.Info());
    EXPECT_EQ(plain.Line(), 6);
}

TEST(RunDebugger, AStopWhilePausedEndsTheRunWithoutThePausedLine) {
    TestHost host;
    ScriptedDebugger debugger;
    host.engine.SetDebugHost(&debugger);
    host.engine.SetMacroText(qm_test::Crlf(kCalls));
    host.engine.SetBreakpoints({11});
    debugger.script = {Step(DebugStep::Stop)};
    host.engine.Run();
    // The stop code of a stopped run; nothing after the pause ran, not even line 11 itself.
    EXPECT_EQ(host.Code(), 100);
    EXPECT_EQ(debugger.pausedAt, (std::vector<int32_t>{11}));
    EXPECT_TRUE(host.output.empty());
    EXPECT_EQ(host.GlobalText(u"r"), u"");

    // A run asked to start paused pauses at its first line that can (the DIM), once.
    debugger.pausedAt.clear();
    host.engine.SetBreakpoints({});
    host.engine.StartNextRunPaused();
    host.Run(kCalls);
    EXPECT_EQ(debugger.pausedAt, (std::vector<int32_t>{1}));

    // The next run (of the text given again, as after any failed run) starts afresh.
    debugger.pausedAt.clear();
    host.output.clear();
    EXPECT_EQ(host.Run(kCalls), 0);
    EXPECT_EQ(host.output, (std::vector<std::u16string>{u"21"}));
}

TEST(RunDebugger, APauseAskedFromTheYieldComesAtTheNextLineAndTheYieldsKeepTheirPace) {
    const std::u16string text = u"dim i, a(4)\nWHILE i < 1000\n  i = i + 1\n  a(i MOD 5) = i\nWEND\n";
    // The yields of the same run without any pause, for comparison.
    TestHost plain;
    plain.engine.SetSyncRun(false);
    int plainYields = 0;
    plain.engine.SetYield([&] { ++plainYields; }, 100);
    EXPECT_EQ(plain.Run(text), 0);

    TestHost host;
    ScriptedDebugger debugger;
    host.engine.SetDebugHost(&debugger);
    host.engine.SetSyncRun(false);
    int yields = 0;
    // A host that yields every 100 statements asks for a pause on its third yield.
    host.engine.SetYield(
        [&] {
            if (++yields == 3) host.engine.RequestPause();
        },
        100);
    EXPECT_EQ(host.Run(text), 0) << ToUtf8(host.Info());
    ASSERT_EQ(debugger.pausedAt.size(), 1u) << yields << " " << plainYields;
    // Paused at its third yield, 200 statements in: about 50 rounds of the loop.
    const std::string globals = debugger.variables[0];
    const size_t at = globals.find("I=");
    ASSERT_NE(at, std::string::npos) << globals;
    const int rounds = std::stoi(globals.substr(at + 2));
    EXPECT_GE(rounds, 40) << globals;
    EXPECT_LE(rounds, 70) << globals;
    EXPECT_NE(globals.find("A=array(4)"), std::string::npos) << globals;
    // Before and after the pause the run yields at the host's own pace.
    EXPECT_NEAR(yields, plainYields, 1);
}

TEST(RunDebugger, ArrayElementsOfEachCallAndTheGlobals) {
    TestHost host;
    struct Reader : DebugHost {
        std::vector<std::u16string> local, global, missing;
        DebugStep Paused(cMoMacro_Engine& engine, int32_t&) override {
            local = engine.DebugElements(0, u"w", 1, 2);
            global = engine.DebugElements(SIZE_MAX, u"G", 2, 10);
            missing = engine.DebugElements(5, u"g", 0, 1);
            return DebugStep::Continue;
        }
    } reader;
    host.engine.SetDebugHost(&reader);
    host.engine.SetMacroText(qm_test::Crlf(u"dim g(3), z\ng(2) = \"two\"\ng(3) = 3.5\nz = f()\n"
                                           u"FUNCTION f()\n  dim w(2)\n  w(1) = 7\n  f = 1\nEND FUNCTION\n"));
    host.engine.SetBreakpoints({8});
    EXPECT_EQ(host.engine.Run(), 0) << ToUtf8(host.Info());
    EXPECT_EQ(reader.local, (std::vector<std::u16string>{u"7", u""}));
    EXPECT_EQ(reader.global, (std::vector<std::u16string>{u"two", u"3.5"}));
    EXPECT_TRUE(reader.missing.empty());
}

// Lines evaluated while paused inside a call: expressions over its own and the global variables, user
// functions run without pausing at their breakpoints, assignments to a local, a global and an element,
// and errors answered as errors while the run goes on untouched.
TEST(RunDebugger, LinesEvaluatedWhilePausedReadAndAssignInThePausedCall) {
    TestHost host;
    struct Evaluator : DebugHost {
        std::vector<std::string> answers;
        std::vector<std::string> lines;
        DebugStep Paused(cMoMacro_Engine& engine, int32_t&) override {
            for (const std::string& line : lines) {
                const DebugEvaluation e = engine.DebugEvaluate(FromUtf8(line));
                answers.push_back(e.errorCode != 0
                                      ? "error " + std::to_string(e.errorCode) + " " + ToUtf8(e.errorMessage)
                                      : (e.assigned ? "set " : "") + ToUtf8(e.value) + ":" +
                                            std::to_string(static_cast<int>(e.kind)));
            }
            lines.clear();
            // The run's own state is untouched by the evaluations: still paused, no error.
            EXPECT_TRUE(engine.DebugPaused());
            EXPECT_EQ(engine.Error().ErrorCode(), 0);
            return DebugStep::Continue;
        }
    } evaluator;
    host.engine.SetDebugHost(&evaluator);
    host.engine.SetMacroText(qm_test::Crlf(u"dim g, a(2)\n"        // 1
                                           u"g = 5\n"              // 2
                                           u"PRINT Twice(3) + 1\n" // 3
                                           u"PRINT g\n"            // 4
                                           u"PRINT a(1)\n"         // 5
                                           u"FUNCTION Twice(n)\n"  // 6
                                           u"  dim t\n"            // 7
                                           u"  t = n * 2\n"        // 8
                                           u"  Twice = t\n"        // 9
                                           u"END FUNCTION\n"       // 10
                                           u"FUNCTION Half(v)\n"   // 11
                                           u"  Half = v / 2\n"     // 12
                                           u"END FUNCTION\n"));    // 13
    host.engine.SetBreakpoints({9, 12});
    evaluator.lines = {"t + g",     "n * 100",        "\"x\" + \"y\"", "Half(t)", "(t + 3) / 3", "t = 40",
                       "g = g + 1", "a(1) = \"one\"", "nothing + 1",   "1 +",     "a(9) = 1",    "",
                       "t"};
    EXPECT_EQ(host.engine.Run(), 0) << ToUtf8(host.Info());
    ASSERT_EQ(evaluator.answers.size(), 13u);
    EXPECT_EQ(evaluator.answers[0], "11:0");  // t = 6, g = 5
    EXPECT_EQ(evaluator.answers[1], "300:0"); // the parameter
    EXPECT_EQ(evaluator.answers[2], "xy:1");
    EXPECT_EQ(evaluator.answers[3], "3:0"); // Half ran to its end; its breakpoint on line 12 did not pause
    EXPECT_EQ(evaluator.answers[4], "3:0");
    EXPECT_EQ(evaluator.answers[5], "set 40:0");
    EXPECT_EQ(evaluator.answers[6], "set 6:0");
    EXPECT_EQ(evaluator.answers[7], "set one:1");
    EXPECT_EQ(evaluator.answers[8].rfind("error 5 ", 0), 0u) << evaluator.answers[8];
    EXPECT_EQ(evaluator.answers[9].rfind("error ", 0), 0u) << evaluator.answers[9];
    EXPECT_EQ(evaluator.answers[10].rfind("error ", 0), 0u) << evaluator.answers[10];
    EXPECT_EQ(evaluator.answers[11], ":3");
    EXPECT_EQ(evaluator.answers[12], "40:0");
    // The assignments reached the run: Twice returns 40, g is 6, a(1) is "one".
    EXPECT_EQ(host.output, (std::vector<std::u16string>{u"41", u"6", u"one"}));
    // Not paused: nothing is evaluated.
    EXPECT_EQ(host.engine.DebugEvaluate(u"1 + 1").errorCode, -1);
}

// Every line of the macro corpus and of the fuzz seeds evaluated in a paused call, and lines made to break
// the evaluation: each gives a value or an error, and the run goes on and ends as it would have.
TEST(RunDebugger, AnyLineEvaluatedWhilePausedLeavesTheRunWhole) {
    std::vector<std::u16string> lines{u"(((((", u"\"open",  u"a(",         u"a() = 1", u"= 5",
                                      u"x = ",  u"1 + + 2", u"t = t",      u"END",     u"FUNCTION f()",
                                      u"DIM q", u"\t",      u"x(1, 2) = 3"};
    for (const char* folder : {QM_MACRO_DIR, QM_MACRO_DIR "/../fuzz/seeds"}) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::string line;
            while (std::getline(in, line)) {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                lines.push_back(FromUtf8(line));
            }
        }
    }
    ASSERT_GT(lines.size(), 500u);
    TestHost host;
    struct Evaluator : DebugHost {
        const std::vector<std::u16string>* lines = nullptr;
        size_t answered = 0;
        DebugStep Paused(cMoMacro_Engine& engine, int32_t&) override {
            for (const std::u16string& line : *lines) {
                engine.DebugEvaluate(line);
                ++answered;
                EXPECT_EQ(engine.Error().ErrorCode(), 0) << ToUtf8(line);
            }
            return DebugStep::Continue;
        }
    } evaluator;
    evaluator.lines = &lines;
    host.engine.SetDebugHost(&evaluator);
    host.engine.SetMacroText(qm_test::Crlf(
        u"dim t, u(2)\nt = 1\nPRINT f(2)\nPRINT t\nFUNCTION f(zqk)\n  f = zqk * 3\nEND FUNCTION\n"));
    host.engine.SetBreakpoints({6});
    EXPECT_EQ(host.engine.Run(), 0) << ToUtf8(host.Info());
    EXPECT_EQ(evaluator.answered, lines.size());
    // PRINT lines of the corpus printed while paused, and lines of it may have given t a value; the
    // function's result is computed after the pause and printed after them.
    ASSERT_GE(host.output.size(), 2u);
    EXPECT_EQ(host.output[host.output.size() - 2], u"6");
}
