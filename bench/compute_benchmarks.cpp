// Compute benchmarks: one evaluation of a typical expression, taken from the parsed line "x = <expression>"
// (the LET statement's item 2) of a macro that has run, so its variables, array and user function exist.
#include "engine.h"
#include "macro_facade.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

const std::u16string kSetUp = u"DIM a, b, c, d, i, s, t, x, arr(10)\r\n"
                              u"a = 3\r\n"
                              u"b = 4\r\n"
                              u"c = 5\r\n"
                              u"d = 6\r\n"
                              u"i = 4\r\n"
                              u"s = \"abcdef\"\r\n"
                              u"t = \"xyz\"\r\n"
                              u"arr(4) = 7\r\n"
                              u"arr(5) = 8\r\n";

const std::u16string kFunctions = u"FUNCTION twice(n)\r\n"
                                  u"  twice = n * 2\r\n"
                                  u"END FUNCTION\r\n";

// Index of the line "x = <expression>", or -1.
int32_t LetLine(const cMoMacro_Engine& engine) {
    for (int32_t i = 0; i < engine.LineCount(); ++i)
        if (engine.Line(i).Text.starts_with(u"x = ")) return i;
    return -1;
}

void BM_Compute(benchmark::State& state, const std::u16string& expression) {
    cMoMacro macro;
    macro.SetSyncRun(true);
    macro.SetMacroText(kSetUp + u"x = " + expression + u"\r\n" + kFunctions);
    if (macro.Run() != 0) {
        state.SkipWithError("the set-up macro failed");
        return;
    }
    cMoMacro_Engine& engine = macro.Engine();
    const cMoMacro_Token& compiled = *engine.Line(LetLine(engine)).Statement->ItemToken(2);
    for (auto _ : state) {
        MacroValue value = engine.Compute(compiled);
        benchmark::DoNotOptimize(value);
    }
    if (engine.Error().ErrorCode() != 0) state.SkipWithError("the expression failed");
}

BENCHMARK_CAPTURE(BM_Compute, constants, std::u16string(u"1 + 2 * 3 - 4 / 2"));
BENCHMARK_CAPTURE(BM_Compute, variables, std::u16string(u"a * b + c - d"));
BENCHMARK_CAPTURE(BM_Compute, brackets, std::u16string(u"(a + b) * (c - d) \\ 2"));
BENCHMARK_CAPTURE(BM_Compute, comparisons_mod, std::u16string(u"(i MOD 7 = 0) OR (a < b)"));
BENCHMARK_CAPTURE(BM_Compute, string_concat, std::u16string(u"s + \"-\" + t"));
BENCHMARK_CAPTURE(BM_Compute, mid_left, std::u16string(u"MID(s, 2, 3) + LEFT(t, 2)"));
BENCHMARK_CAPTURE(BM_Compute, len_instr, std::u16string(u"LEN(s) + INSTR(s, \"cd\")"));
BENCHMARK_CAPTURE(BM_Compute, array_elements, std::u16string(u"arr(i) + arr(i + 1) * 2"));
BENCHMARK_CAPTURE(BM_Compute, user_function, std::u16string(u"twice(a) + 1"));

} // namespace
