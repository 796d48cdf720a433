// INSTR's search side by side with the plain search of the standard library, on a repetitive text where the
// plain search compares again and again (n·m) and on ordinary text.
#include "text_search.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// Haystack: n letters "a" and one "b"; needle: n/10 letters "a" and one "b": found only at the end.
std::pair<std::u16string, std::u16string> Repetitive(int64_t n) {
    return {std::u16string(static_cast<size_t>(n), u'a') + u"b",
            std::u16string(static_cast<size_t>(n / 10), u'a') + u"b"};
}

void BM_FindTextRepetitive(benchmark::State& state) {
    const auto [haystack, needle] = Repetitive(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(FindText(haystack, needle));
}

void BM_PlainFindRepetitive(benchmark::State& state) {
    const auto [haystack, needle] = Repetitive(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(std::u16string_view(haystack).find(needle));
}

void BM_FindTextOrdinary(benchmark::State& state) {
    std::u16string haystack;
    while (haystack.size() < 100000) haystack += u"The quick brown fox jumps over the lazy dog. ";
    const std::u16string needle = u"lazy dog! not here";
    for (auto _ : state) benchmark::DoNotOptimize(FindText(haystack, needle));
}

BENCHMARK(BM_FindTextRepetitive)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainFindRepetitive)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindTextOrdinary)->Unit(benchmark::kMicrosecond);

} // namespace
