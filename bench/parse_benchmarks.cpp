// Parsing benchmarks: assigning a 10,000-line macro to the engine alone and to the facade, which has every
// built-in name registered (a longer word table, as in the real program).
#include "bench_macros.h"
#include "engine.h"
#include "macro_facade.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int32_t kParsedLines = 10000;

// Reports the time per source line beside the time per parse of the whole text.
void CountLines(benchmark::State& state, int32_t lines) {
    state.counters["per_line"] = benchmark::Counter(lines, benchmark::Counter::kIsIterationInvariantRate |
                                                               benchmark::Counter::kInvert);
}

void BM_ParseEngine(benchmark::State& state) {
    const std::u16string text = RealisticMacro(kParsedLines);
    cMoMacro_Engine engine;
    for (auto _ : state) {
        engine.SetMacroText(text);
        benchmark::DoNotOptimize(engine.LineCount());
    }
    if (engine.Error().ErrorCode() != 0 || engine.LineCount() != kParsedLines)
        state.SkipWithError("the generated macro did not parse into 10,000 lines");
    CountLines(state, kParsedLines);
}
BENCHMARK(BM_ParseEngine)->Unit(benchmark::kMillisecond);

void BM_ParseFacade(benchmark::State& state) {
    const std::u16string text = RealisticMacro(kParsedLines);
    cMoMacro macro;
    for (auto _ : state) {
        macro.SetMacroText(text);
        benchmark::DoNotOptimize(macro.Engine().LineCount());
    }
    if (macro.Error().ErrorCode() != 0 || macro.Engine().LineCount() != kParsedLines)
        state.SkipWithError("the generated macro did not parse into 10,000 lines");
    CountLines(state, kParsedLines);
}
BENCHMARK(BM_ParseFacade)->Unit(benchmark::kMillisecond);

} // namespace
