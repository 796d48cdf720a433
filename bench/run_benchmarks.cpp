// Run-loop benchmarks: the cost of dispatching one trivial statement, and of the yield made before every
// statement while SyncRun is false (with a trivial yield function, so only the engine's own share counts).
#include "bench_macros.h"
#include "engine.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int32_t kStatements = 10000;
constexpr int32_t kLoopTurns = 10000;

// Reports the time per executed statement beside the time per run.
void CountStatements(benchmark::State& state, int64_t statements) {
    state.counters["per_statement"] =
        benchmark::Counter(static_cast<double>(statements),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Parses the text and counts the statements one run executes (the yield is called once per statement).
int64_t PrepareAndCount(cMoMacro_Engine& engine, const std::u16string& text) {
    engine.SetMacroText(text);
    int64_t statements = 0;
    engine.SetYield([&statements] { ++statements; });
    engine.SetSyncRun(false);
    if (engine.Run() != 0) return -1;
    return statements;
}

// A straight run of 10,000 copies of one statement (plus its DIM line), SyncRun on: the dispatch alone.
void BM_StatementDispatch(benchmark::State& state, const std::u16string& statement) {
    cMoMacro_Engine engine;
    int64_t statements = PrepareAndCount(engine, StraightLineMacro(kStatements, statement));
    if (statements < 0) {
        state.SkipWithError("the macro failed");
        return;
    }
    engine.SetSyncRun(true);
    for (auto _ : state) benchmark::DoNotOptimize(engine.Run());
    if (engine.Error().ErrorCode() != 0) state.SkipWithError("the macro failed");
    CountStatements(state, statements);
}
BENCHMARK_CAPTURE(BM_StatementDispatch, comment, std::u16string(u"' nothing"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StatementDispatch, assign_constant, std::u16string(u"x = 1"))
    ->Unit(benchmark::kMicrosecond);

// The tight loop FOR / x = x + 1 / NEXT, with SyncRun on (argument 1: no yield) and off (argument 0: a
// trivial yield before every statement). The difference per statement is the engine's cost of the yield.
void BM_TightLoopYield(benchmark::State& state) {
    cMoMacro_Engine engine;
    int64_t statements = PrepareAndCount(engine, TightLoopMacro(kLoopTurns));
    if (statements < 0) {
        state.SkipWithError("the macro failed");
        return;
    }
    int64_t yields = 0;
    engine.SetYield([&yields] { benchmark::DoNotOptimize(++yields); });
    engine.SetSyncRun(state.range(0) != 0);
    for (auto _ : state) benchmark::DoNotOptimize(engine.Run());
    if (engine.Error().ErrorCode() != 0) state.SkipWithError("the macro failed");
    CountStatements(state, statements);
}
BENCHMARK(BM_TightLoopYield)->ArgName("sync_run")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

} // namespace
