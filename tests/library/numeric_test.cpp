// Tests of the numeric built-ins: the whole-number rule of the math family, failures with their numbers,
// result kinds, and the contract of RND and RANDOMIZE (repeatable seeds, RND(0), range).
#include "library_test_support.h"
#include "random_generator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace testing_support;

namespace {

BuiltinOutcome Math(const char16_t* name, MacroValue arg) {
    return CallBuiltin(name, {arg});
}

double Dbl(const char16_t* name, double arg) {
    BuiltinOutcome r = Math(name, D(arg));
    EXPECT_EQ(r.Code(), 0) << U8(name) << " " << arg;
    EXPECT_EQ(r.result.Kind(), ValueKind::Double) << U8(name);
    return r.result.DoubleValue();
}

float Rnd(std::initializer_list<MacroValue> args) {
    BuiltinOutcome r = CallBuiltin(u"RND", args);
    EXPECT_EQ(r.Code(), 0);
    EXPECT_EQ(r.result.Kind(), ValueKind::Single);
    return r.result.SingleValue();
}

void Randomize(std::initializer_list<MacroValue> args) {
    BuiltinOutcome r = CallBuiltin(u"RANDOMIZE", args);
    EXPECT_EQ(r.Code(), 0);
    EXPECT_EQ(r.result.Kind(), ValueKind::Int16);
    EXPECT_EQ(r.result.Int16Value(), 0);
}

} // namespace

TEST(NumericBuiltins, FunctionsWorkOnTheRoundedWholeNumber) {
    EXPECT_EQ(Dbl(u"SQR", 16), 4);
    EXPECT_EQ(Dbl(u"SQR", 2.6), std::sqrt(3.0));
    EXPECT_EQ(Dbl(u"SIN", 0.5), 0);
    EXPECT_EQ(Dbl(u"SIN", 1), Dbl(u"SIN", 1.4));
    EXPECT_EQ(Dbl(u"SIN", 1.6), Dbl(u"SIN", 2));
    EXPECT_EQ(Dbl(u"COS", 0), 1);
    EXPECT_EQ(Dbl(u"TAN", 1), std::tan(1.0));
    EXPECT_EQ(Dbl(u"EXP", 0), 1);
    EXPECT_EQ(Dbl(u"EXP", 709), std::exp(709.0));
    EXPECT_EQ(Dbl(u"LOG", 1), 0);
    EXPECT_EQ(Dbl(u"SQR", -0.4), 0); // rounds to 0 before the sign is looked at

    auto whole = [](const char16_t* name, MacroValue arg, ValueKind kind) {
        BuiltinOutcome r = Math(name, arg);
        EXPECT_EQ(r.Code(), 0);
        EXPECT_EQ(r.result.Kind(), kind) << U8(name);
        return static_cast<int>(r.result.AsDouble());
    };
    EXPECT_EQ(whole(u"ABS", D(-3.5), ValueKind::Int32), 4);
    EXPECT_EQ(whole(u"ABS", D(2147483647), ValueKind::Int32), 2147483647);
    EXPECT_EQ(whole(u"SGN", D(-0.4), ValueKind::Int16), 0);
    EXPECT_EQ(whole(u"SGN", D(-7), ValueKind::Int16), -1);
    EXPECT_EQ(whole(u"SGN", D(0.6), ValueKind::Int16), 1);
    EXPECT_EQ(whole(u"INT", D(2.5), ValueKind::Int32), 2);
    EXPECT_EQ(whole(u"INT", D(3.5), ValueKind::Int32), 4);
    EXPECT_EQ(whole(u"INT", D(-2.5), ValueKind::Int32), -2);
    EXPECT_EQ(whole(u"INT", D(-2.7), ValueKind::Int32), -3);
    EXPECT_EQ(whole(u"INT", S(u" 12 "), ValueKind::Int32), 12);
}

TEST(NumericBuiltins, FailuresCarryTheirNumbers) {
    struct Case {
        const char16_t* name;
        MacroValue arg;
        int sub;
    };
    const Case cases[] = {
        {u"SQR", D(-1), 5},
        {u"LOG", D(0), 5},
        {u"LOG", D(-3), 5},
        {u"EXP", D(710), 6},
        {u"ABS", D(-2147483648.0), 6},
        {u"INT", D(3e9), 6},
        {u"SIN", S(u"x"), 13},
    };
    for (const Case& c : cases) {
        BuiltinOutcome r = Math(c.name, c.arg);
        EXPECT_EQ(r.Code(), 7) << U8(c.name);
        EXPECT_EQ(r.Sub(), c.sub) << U8(c.name);
        EXPECT_FALSE(r.Info().empty());
    }
    // A failed conversion leaves the whole number at 0 and the function still runs on it.
    BuiltinOutcome sqr = Math(u"SQR", S(u"abc"));
    EXPECT_EQ(sqr.Code(), 7);
    EXPECT_EQ(sqr.Sub(), 13);
    EXPECT_EQ(sqr.result.Kind(), ValueKind::Double);
    EXPECT_EQ(sqr.result.DoubleValue(), 0);
    // A failed computation writes nothing.
    EXPECT_TRUE(Math(u"SQR", D(-1)).result.IsEmpty());

    for (const char16_t* name : {u"SQR", u"ABS", u"INT"}) {
        EXPECT_EQ(CallBuiltin(name, {}).Info(), "引数の数があいません");
        EXPECT_EQ(CallBuiltin(name, {I(1), I(2)}).Info(), "引数の数があいません");
    }
}

TEST(RandomNumbers, NegativeSeedRestartsAndZeroRepeats) {
    float a = Rnd({I(-1)});
    EXPECT_EQ(Rnd({I(-1)}), a);
    EXPECT_NE(Rnd({I(-2)}), a);

    float next = Rnd({});
    EXPECT_EQ(Rnd({I(0)}), next);
    EXPECT_EQ(Rnd({I(0)}), next);
    float positive = Rnd({I(5)});
    EXPECT_NE(positive, next);
    EXPECT_EQ(Rnd({D(-0.4)}), Rnd({I(0)})); // -0.4 rounds to 0: a repeat, not a restart

    // RND(-1), then RANDOMIZE 5, then three numbers: the same every time.
    auto sequence = [] {
        Rnd({I(-1)});
        Randomize({I(5)});
        return std::vector<float>{Rnd({}), Rnd({}), Rnd({})};
    };
    std::vector<float> first = sequence();
    EXPECT_EQ(sequence(), first);
    EXPECT_NE(first[0], first[1]);

    // RANDOMIZE with another number gives another sequence.
    Rnd({I(-1)});
    Randomize({I(6)});
    EXPECT_NE(Rnd({}), first[0]);
}

TEST(RandomNumbers, RangeAndCounts) {
    Randomize({});
    double sum = 0;
    for (int i = 0; i < 2000; ++i) {
        float r = Rnd({});
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
        sum += r;
    }
    EXPECT_NEAR(sum / 2000, 0.5, 0.05);

    EXPECT_EQ(CallBuiltin(u"RND", {I(1), I(2)}).Info(), "引数の数があいません");
    EXPECT_EQ(CallBuiltin(u"RANDOMIZE", {I(1), I(2)}).Info(), "引数の数があいません");
    BuiltinOutcome bad = CallBuiltin(u"RND", {S(u"x")});
    EXPECT_EQ(bad.Code(), 7);
    EXPECT_EQ(bad.Sub(), 13);
}

TEST(RandomNumbers, FreshGeneratorsStartAlike) {
    MacroRandom a;
    MacroRandom b;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(a.Next(), b.Next());
    a.Mix(42);
    b.Mix(42);
    EXPECT_EQ(a.Next(), b.Next());
    MacroRandom c;
    EXPECT_EQ(c.Restart(-7), a.Restart(-7));
}
