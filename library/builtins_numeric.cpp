// The numeric built-ins: SQR, EXP, SIN, COS, TAN, LOG, ABS, SGN and INT (one routine per name, each working
// on the argument rounded to a whole number), and the random numbers RND and RANDOMIZE.
#include "builtin_support.h"
#include "random_generator.h"
#include "value_ops.h"

#include <chrono>
#include <cmath>
#include <limits>

// The generator is a SplitMix64 sequence: a 64-bit state that moves by a fixed odd step per number, and a
// mixing function that turns the state into well-spread bits. A number is the top 24 mixed bits divided by
// 2^24, so it fits a single-precision value exactly and lies in [0, 1).
// - Each process starts from kInitialSeed, so a macro that never calls RANDOMIZE sees the same numbers.
// - RND(s < 0) sets the state from s alone (the mix of s and a constant) and returns that state's number: the
//   same s always gives the same number, and the sequence continues from there.
// - RND(0) returns the number of the current state again, which is the number produced last.
// - RANDOMIZE n replaces the state by the mix of (state XOR mix(n)); it depends on the state it starts from,
//   so RND(-k) followed by RANDOMIZE n always leads to the same sequence. RANDOMIZE alone mixes in the clock.
namespace {

constexpr uint64_t kStep = 0x9E3779B97F4A7C15ULL;
constexpr uint64_t kSeedSalt = 0xD1B54A32D192ED03ULL;

uint64_t MixBits(uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

} // namespace

float MacroRandom::Current() const {
    return static_cast<float>(MixBits(state_) >> 40) / 16777216.0f;
}

float MacroRandom::Next() {
    state_ += kStep;
    return Current();
}

float MacroRandom::Restart(int32_t seed) {
    state_ = MixBits(static_cast<uint64_t>(static_cast<int64_t>(seed)) ^ kSeedSalt);
    return Current();
}

void MacroRandom::Mix(int64_t value) {
    state_ = MixBits(state_ ^ MixBits(static_cast<uint64_t>(value) + kStep));
}

MacroRandom& MacroRandom::Shared() {
    static MacroRandom generator;
    return generator;
}

namespace {

// The functions on the whole number n, one per name; a failure leaves the result unwritten.
int Sqr(int32_t n, MacroValue& result) {
    if (n < 0) return kFailInvalidArgument;
    result = MacroValue::Double(std::sqrt(static_cast<double>(n)));
    return kFailNone;
}

int Exp(int32_t n, MacroValue& result) {
    const double e = std::exp(static_cast<double>(n));
    if (std::isinf(e)) return kFailOverflow;
    result = MacroValue::Double(e);
    return kFailNone;
}

int Sin(int32_t n, MacroValue& result) {
    result = MacroValue::Double(std::sin(static_cast<double>(n)));
    return kFailNone;
}

int Cos(int32_t n, MacroValue& result) {
    result = MacroValue::Double(std::cos(static_cast<double>(n)));
    return kFailNone;
}

int Tan(int32_t n, MacroValue& result) {
    result = MacroValue::Double(std::tan(static_cast<double>(n)));
    return kFailNone;
}

int Log(int32_t n, MacroValue& result) {
    if (n <= 0) return kFailInvalidArgument;
    result = MacroValue::Double(std::log(static_cast<double>(n)));
    return kFailNone;
}

int Abs(int32_t n, MacroValue& result) {
    if (n == std::numeric_limits<int32_t>::min()) return kFailOverflow;
    result = MacroValue::Int32(n < 0 ? -n : n);
    return kFailNone;
}

int Sgn(int32_t n, MacroValue& result) {
    result = MacroValue::Int16(static_cast<int16_t>((n > 0) - (n < 0)));
    return kFailNone;
}

int Int(int32_t n, MacroValue& result) {
    result = MacroValue::Int32(n);
    return kFailNone;
}

// A built-in of one of the functions above, bound when the table is made rather than picked by its name at
// every call. A failed conversion leaves n at 0 and the function still runs on 0 (SQR of a non-number writes
// 0) before the failure is reported.
template <int (*Compute)(int32_t, MacroValue&)> void BuiltinMath(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() == 1, kMsgCountMismatch)) return;
    TrappedSection trap;
    int32_t n = 0;
    trap.Step(WholeNumberOf(call.Arg(0), n));
    trap.Step(Compute(n, call.result));
    trap.Report(call.error);
}

void BuiltinRnd(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() <= 1, kMsgCountMismatch)) return;
    TrappedSection trap;
    MacroRandom& random = MacroRandom::Shared();
    float r = 0;
    if (call.Count() == 0) {
        r = random.Next();
    } else {
        int32_t s = 0;
        trap.Step(WholeNumberOf(call.Arg(0), s));
        r = s < 0 ? random.Restart(s) : (s == 0 ? random.Current() : random.Next());
    }
    call.result = MacroValue::Single(r);
    trap.Report(call.error);
}

void BuiltinRandomize(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() <= 1, kMsgCountMismatch)) return;
    TrappedSection trap;
    if (call.Count() == 0) {
        MacroRandom::Shared().Mix(std::chrono::system_clock::now().time_since_epoch().count());
    } else {
        int32_t n = 0;
        if (trap.Step(WholeNumberOf(call.Arg(0), n))) MacroRandom::Shared().Mix(n);
    }
    call.result = MacroValue::Int16(0);
    trap.Report(call.error);
}

} // namespace

void RegisterNumericBuiltins(BuiltinTable& table) {
    table.Add(u"SQR", BuiltinMath<Sqr>);
    table.Add(u"EXP", BuiltinMath<Exp>);
    table.Add(u"SIN", BuiltinMath<Sin>);
    table.Add(u"COS", BuiltinMath<Cos>);
    table.Add(u"TAN", BuiltinMath<Tan>);
    table.Add(u"LOG", BuiltinMath<Log>);
    table.Add(u"ABS", BuiltinMath<Abs>);
    table.Add(u"SGN", BuiltinMath<Sgn>);
    table.Add(u"INT", BuiltinMath<Int>);
    table.Add(u"RND", BuiltinRnd);
    table.Add(u"RANDOMIZE", BuiltinRandomize);
}
