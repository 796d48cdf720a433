// What having a debugger costs a run that sets no breakpoint: each program of bench/programs run through the
// facade as the editor runs it (yielding every 100 statements), without a debug host and with one attached.
// The two must stay within 2 % of each other.
#include "macro_facade.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

class IdleHost : public DebugHost {
  public:
    DebugStep Paused(cMoMacro_Engine&, int32_t&) override { return DebugStep::Continue; }
};

std::u16string ProgramText(const std::string& name) {
    std::ifstream file(std::string(QM_BENCH_PROGRAMS) + "/" + name + ".qlx", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    std::u16string wide;
    for (const char c : text.str()) {
        if (c == '\n') wide += u'\r';
        wide += static_cast<char16_t>(static_cast<unsigned char>(c));
    }
    return wide;
}

void BM_RunWithoutBreakpoints(benchmark::State& state, const std::string& program) {
    const std::u16string text = ProgramText(program);
    cMoMacro macro;
    macro.SetPrintOut([](const std::u16string&) {});
    IdleHost host;
    if (state.range(0) != 0) macro.Engine().SetDebugHost(&host);
    macro.Engine().SetYield([] {}, 100);
    macro.SetSyncRun(false);
    for (auto _ : state) {
        macro.SetMacroText(text);
        benchmark::DoNotOptimize(macro.Run());
    }
    if (macro.Error().ErrorCode() != 0) state.SkipWithError("the program failed");
}

} // namespace

BENCHMARK_CAPTURE(BM_RunWithoutBreakpoints, fib, std::string("fib"))
    ->ArgName("debug_host")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RunWithoutBreakpoints, sieve, std::string("sieve"))
    ->ArgName("debug_host")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RunWithoutBreakpoints, collatz, std::string("collatz"))
    ->ArgName("debug_host")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RunWithoutBreakpoints, strings, std::string("strings"))
    ->ArgName("debug_host")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RunWithoutBreakpoints, sum_loop, std::string("sum_loop"))
    ->ArgName("debug_host")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
