// Tests of cMoMacro_Variable: creation limits, case-insensitive lookup, scalar and array access and the
// error texts the store writes, including that a refused operation leaves the store unchanged.
#include "variable_store.h"
#include "value_ops.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

MacroValue Name(const std::u16string& name) {
    return MacroValue::String(name);
}

TEST(VariableStore, NamesAreFoundWithoutRegardToCase) {
    cMoMacro_Variable store;
    cMoMacro_Error error;
    store.CreateVariable(u"abc", -1, error);
    store.CreateVariable(u"Second", 3, error);
    ASSERT_EQ(error.ErrorCode(), 0);
    EXPECT_EQ(store.Count(), 2);
    EXPECT_EQ(store.SearchIndex(u"ABC"), 0);
    EXPECT_EQ(store.SearchIndex(u"aBc"), 0);
    EXPECT_EQ(store.SearchIndex(u"SECOND"), 1);
    EXPECT_EQ(store.SearchIndex(u"abcd"), -1);

    store.SetValue(Name(u"ABC"), -1, MacroValue::Int32(7), error);
    EXPECT_EQ(ToText(store.GetValue(Name(u"abc"), -1, error)), u"7");
    EXPECT_EQ(ToText(store.GetByName(u"AbC", -1, error)), u"7");
    EXPECT_EQ(error.ErrorCode(), 0);

    store.CreateVariable(u"ABC", -1, error);
    EXPECT_EQ(error.ErrorCode(), 5);
    EXPECT_EQ(error.ErrorInformation(), u"既に定義されています - ABC");
    EXPECT_EQ(store.Count(), 2);
    // The earlier record keeps its value.
    cMoMacro_Error readError;
    EXPECT_EQ(ToText(store.GetValue(Name(u"abc"), -1, readError)), u"7");
}

TEST(VariableStore, UpperCaseTouchesOnlyAsciiLetters) {
    EXPECT_EQ(UpperCase(u"abc_z$9"), u"ABC_Z$9");
    EXPECT_EQ(UpperCase(u"äöü"), u"äöü");
    EXPECT_EQ(UpperCase(u"ａｂ変数x"), u"ａｂ変数X");
}

TEST(VariableStore, CreationLimits) {
    cMoMacro_Variable store;
    cMoMacro_Error error;
    store.CreateVariable(u"big", 65535, error);
    ASSERT_EQ(error.ErrorCode(), 0);
    store.SetValue(Name(u"big"), 65535, MacroValue::Int32(1), error);
    EXPECT_EQ(ToText(store.GetValue(Name(u"big"), 65535, error)), u"1");
    EXPECT_EQ(error.ErrorCode(), 0);

    store.CreateVariable(u"huge", 65536, error);
    EXPECT_EQ(error.ErrorCode(), 5);
    EXPECT_EQ(error.ErrorInformation(), u"配列のサイズが大きすぎます - huge");
    EXPECT_EQ(store.SearchIndex(u"huge"), -1);

    error.Clear();
    const std::u16string name250(250, u'n');
    store.CreateVariable(name250, -1, error);
    EXPECT_EQ(error.ErrorCode(), 0);
    const std::u16string name251(251, u'm');
    store.CreateVariable(name251, -1, error);
    EXPECT_EQ(error.ErrorCode(), 5);
    EXPECT_EQ(error.ErrorInformation(), u"変数名が長すぎます - " + name251);
    EXPECT_EQ(store.SearchIndex(name251), -1);

    // The size is checked before the length.
    error.Clear();
    store.CreateVariable(name251, 70000, error);
    EXPECT_EQ(error.ErrorInformation(), u"配列のサイズが大きすぎます - " + name251);
    EXPECT_EQ(store.Count(), 2);
}

TEST(VariableStore, ScalarsAndArrayBounds) {
    cMoMacro_Variable store;
    cMoMacro_Error error;
    store.CreateVariable(u"s", -5, error);
    store.CreateVariable(u"one", 0, error);
    ASSERT_EQ(error.ErrorCode(), 0);

    EXPECT_TRUE(store.GetValue(Name(u"s"), -1, error).IsEmpty());
    EXPECT_TRUE(store.GetValue(Name(u"one"), 0, error).IsEmpty());
    EXPECT_EQ(error.ErrorCode(), 0);

    store.GetValue(Name(u"one"), 1, error);
    EXPECT_EQ(error.ErrorCode(), 6);
    EXPECT_EQ(error.ErrorInformation(), u"添字が範囲外です - one");
    error.Clear();
    // A whole array can be neither read nor written without a subscript.
    store.GetValue(Name(u"one"), -1, error);
    EXPECT_EQ(error.ErrorCode(), 6);
    EXPECT_EQ(error.ErrorInformation(), u"添字が範囲外です - one");
    error.Clear();
    store.SetValue(Name(u"One"), 1, MacroValue::Int32(3), error);
    EXPECT_EQ(error.ErrorInformation(), u"添字が範囲外です - One");
    error.Clear();
    EXPECT_TRUE(store.GetValue(Name(u"one"), 0, error).IsEmpty());

    store.GetValue(Name(u"s"), 3, error);
    EXPECT_EQ(error.ErrorCode(), 6);
    EXPECT_EQ(error.ErrorInformation(), u"配列ではありません - s");
    error.Clear();
    store.SetValue(Name(u"S"), 0, MacroValue::Int32(3), error);
    EXPECT_EQ(error.ErrorCode(), 6);
    EXPECT_EQ(error.ErrorInformation(), u"配列ではありません - S");
    error.Clear();
    EXPECT_TRUE(store.GetValue(Name(u"s"), -1, error).IsEmpty());
}

TEST(VariableStore, UnknownNamesAndPositions) {
    cMoMacro_Variable store;
    cMoMacro_Error error;
    store.CreateVariable(u"first", -1, error);
    store.CreateVariable(u"list", 2, error);

    MacroValue value = store.GetValue(Name(u"nope"), -1, error);
    EXPECT_TRUE(value.IsEmpty());
    EXPECT_EQ(error.ErrorCode(), 5);
    EXPECT_EQ(error.ErrorInformation(), u"変数が定義されていません - nope");
    error.Clear();
    store.SetValue(Name(u"nope"), -1, MacroValue::Int32(1), error);
    EXPECT_EQ(error.ErrorCode(), 5);
    EXPECT_EQ(store.Count(), 2);
    error.Clear();

    // A numeric key is a record position.
    store.SetValue(MacroValue::Int32(1), 2, MacroValue::String(u"x"), error);
    EXPECT_EQ(error.ErrorCode(), 0);
    EXPECT_EQ(ToText(store.GetValue(Name(u"LIST"), 2, error)), u"x");
    EXPECT_EQ(ToText(store.GetValue(MacroValue::Double(1.0), 2, error)), u"x");
    store.GetValue(MacroValue::Int32(2), -1, error);
    EXPECT_EQ(error.ErrorCode(), 5);
    EXPECT_EQ(error.ErrorInformation(), u"変数が定義されていません - 2");
    error.Clear();
    store.GetValue(MacroValue::Int32(-1), -1, error);
    EXPECT_EQ(error.ErrorCode(), 5);
}

TEST(VariableStore, ValuesAreCopiedInAndOut) {
    cMoMacro_Variable store;
    cMoMacro_Error error;
    store.CreateVariable(u"t", -1, error);
    store.CreateVariable(u"arr", 1, error);
    store.SetValue(Name(u"t"), -1, MacroValue::String(u"before"), error);
    const MacroValue early = store.GetValue(Name(u"t"), -1, error);
    store.SetValue(Name(u"t"), -1, MacroValue::String(u"after"), error);
    EXPECT_EQ(early.StringValue(), u"before");
    EXPECT_EQ(store.GetValue(Name(u"t"), -1, error).StringValue(), u"after");

    store.SetValue(Name(u"arr"), 0, MacroValue::Int32(1), error);
    store.SetValue(Name(u"arr"), 1, MacroValue::Int32(2), error);
    EXPECT_EQ(ToText(store.GetValue(Name(u"arr"), 0, error)), u"1");
    EXPECT_EQ(ToText(store.GetValue(Name(u"arr"), 1, error)), u"2");
    EXPECT_EQ(error.ErrorCode(), 0);
}

TEST(VariableStore, PositionShortcutsReportLikeNamedAccess) {
    cMoMacro_Variable store;
    cMoMacro_Error error;
    store.CreateVariable(u"a", -1, error);
    store.CreateVariable(u"b", 1, error);
    store.SetAt(1, 1, MacroValue::Int32(9), u"b", error);
    const MacroValue* element = store.ValueAt(1, 1, u"b", error);
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(ToText(*element), u"9");
    EXPECT_EQ(error.ErrorCode(), 0);

    store.ValueAt(1, 2, u"b", error);
    EXPECT_EQ(error.ErrorCode(), 6);
    EXPECT_EQ(error.ErrorInformation(), u"添字が範囲外です - b");
    error.Clear();
    store.SetAt(0, 0, MacroValue::Int32(1), u"a", error);
    EXPECT_EQ(error.ErrorCode(), 6);
    EXPECT_EQ(error.ErrorInformation(), u"配列ではありません - a");
    error.Clear();
    store.SetByName(u"zz", -1, MacroValue::Int32(1), error);
    EXPECT_EQ(error.ErrorCode(), 5);
    EXPECT_EQ(error.ErrorInformation(), u"変数が定義されていません - zz");
}

TEST(VariableStore, ClearEmptiesTheTable) {
    cMoMacro_Variable store;
    cMoMacro_Error error;
    store.CreateVariable(u"a", -1, error);
    store.CreateVariable(u"b", 4, error);
    store.Clear();
    EXPECT_EQ(store.Count(), 0);
    EXPECT_EQ(store.SearchIndex(u"a"), -1);
    store.CreateVariable(u"A", -1, error);
    EXPECT_EQ(error.ErrorCode(), 0);
    EXPECT_EQ(store.SearchIndex(u"a"), 0);
}

TEST(VariableStore, AStartedStoreHoldsThePlannedNamesAndGrowsLikeAnyOther) {
    const cMoMacro_Variable::Plan plan{{u"F", u"A", u"B"}, 77};
    cMoMacro_Variable store;
    cMoMacro_Error error;
    store.CreateVariable(u"old", 3, error);
    const uint64_t before = store.Id();
    store.Start(plan);
    EXPECT_EQ(store.Count(), 3);
    EXPECT_EQ(store.SearchIndex(u"old"), -1);
    EXPECT_EQ(store.SearchIndex(u"a"), 1);
    EXPECT_EQ(store.Shape(), 77u);
    EXPECT_NE(store.Id(), before);
    EXPECT_TRUE(store.GetByName(u"b", -1, error).IsEmpty());
    store.SetByName(u"B", -1, MacroValue::Int32(5), error);
    EXPECT_EQ(ToText(store.GetValue(MacroValue::Int32(2), -1, error)), u"5");
    ASSERT_EQ(error.ErrorCode(), 0);

    // A planned name cannot be declared again; a new one is appended after the planned ones.
    store.CreateVariable(u"b", -1, error);
    EXPECT_EQ(error.ErrorInformation(), u"既に定義されています - b");
    cMoMacro_Error fresh;
    store.CreateVariable(u"c", 2, fresh);
    EXPECT_EQ(store.SearchIndex(u"C"), 3);
    EXPECT_NE(store.Shape(), 77u);
    EXPECT_EQ(store.DebugOut(), u"F=\nA=\nB=5\nC(2)\n");

    // Started again, the store holds the plan's names with empty values under a new identity.
    const uint64_t used = store.Id();
    store.Start(plan);
    EXPECT_EQ(store.Count(), 3);
    EXPECT_EQ(store.SearchIndex(u"c"), -1);
    EXPECT_TRUE(store.GetByName(u"b", -1, fresh).IsEmpty());
    EXPECT_NE(store.Id(), used);
    EXPECT_EQ(store.Shape(), 77u);
}

// Threads take identities in blocks; no two stores may ever share one, whichever thread made them.
TEST(VariableStore, IdentitiesAreUniqueAcrossThreads) {
    constexpr int kPerThread = 10000;
    std::vector<uint64_t> first, second;
    auto take = [](std::vector<uint64_t>& out) {
        for (int k = 0; k < kPerThread; ++k) out.push_back(cMoMacro_Variable::NewId());
    };
    std::thread a(take, std::ref(first));
    std::thread b(take, std::ref(second));
    a.join();
    b.join();
    std::set<uint64_t> all(first.begin(), first.end());
    all.insert(second.begin(), second.end());
    all.insert(cMoMacro_Variable().Id());
    EXPECT_EQ(all.size(), size_t{2 * kPerThread + 1});
    EXPECT_EQ(all.count(0), 0u); // 0 means "never bound" to the engine's caches
}

TEST(VariableStore, RecyclingReturnsArraysToTheBudget) {
    auto budget =
        std::make_shared<cMoMacro_Variable::ElementBudget>(cMoMacro_Variable::ElementBudget{100, 0});
    const cMoMacro_Variable::Plan plan{{u"F", u"N"}, 5};
    cMoMacro_Variable store(budget);
    cMoMacro_Error error;
    store.Start(plan);
    store.CreateVariable(u"list", 59, error);
    EXPECT_EQ(budget->used, 60u);
    store.Recycle();
    EXPECT_EQ(budget->used, 0u);
    store.Start(plan);
    EXPECT_EQ(store.SearchIndex(u"list"), -1);
    // Recycling a store that only holds the plan's names keeps nothing of their values.
    store.SetByName(u"n", -1, MacroValue::String(u"text"), error);
    store.Recycle();
    store.Start(plan);
    EXPECT_TRUE(store.GetByName(u"n", -1, error).IsEmpty());
    EXPECT_EQ(error.ErrorCode(), 0);
}

TEST(VariableStore, ALongPlanIsFoundThroughTheHashIndex) {
    cMoMacro_Variable::Plan wide{{}, 9};
    for (int k = 0; k < 14; ++k) wide.names.push_back(u"P" + ToText(MacroValue::Int32(k)));
    cMoMacro_Variable store;
    cMoMacro_Error error;
    store.Start(wide);
    EXPECT_EQ(store.SearchIndex(u"p13"), 13);
    EXPECT_EQ(store.SearchIndex(u"p0"), 0);
    store.CreateVariable(u"extra", -1, error);
    EXPECT_EQ(store.SearchIndex(u"EXTRA"), 14);
    store.CreateVariable(u"p7", -1, error);
    EXPECT_EQ(error.ErrorCode(), 5);

    // A short plan afterwards no longer finds the long plan's names.
    store.Recycle();
    const cMoMacro_Variable::Plan narrow{{u"G", u"P13"}, 10};
    store.Start(narrow);
    EXPECT_EQ(store.SearchIndex(u"p13"), 1);
    EXPECT_EQ(store.SearchIndex(u"p12"), -1);
    EXPECT_EQ(store.SearchIndex(u"extra"), -1);
}

} // namespace
