// What having a debugger costs a run that sets no breakpoint: each program of bench/programs run through the
// facade as the editor runs it (yielding every 100 statements), without a debug host and with one attached.
// The two must stay within 2 % of each other.
#include "codepage.h"
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
    std::stringstream bytes;
    bytes << file.rdbuf();
    std::u16string text;
    for (const char16_t c : FromUtf8(bytes.str())) {
        if (c == u'\n') text += u'\r';
        text += c;
    }
    return text;
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

// Each program, without (0) and with (1) a debug host.
[[maybe_unused]] const bool kRegistered = [] {
    for (const char* program : {"fib", "sieve", "collatz", "strings", "sum_loop"})
        benchmark::RegisterBenchmark(("BM_RunWithoutBreakpoints/" + std::string(program)).c_str(),
                                     BM_RunWithoutBreakpoints, std::string(program))
            ->ArgName("debug_host")
            ->Arg(0)
            ->Arg(1)
            ->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
