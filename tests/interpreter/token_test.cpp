// Tests of the token list: adding, deleting, stack use, copying ranges, searching and item tests, and the
// sharing of nested lists by reference.
#include "test_support.h"
#include "token.h"

#include <gtest/gtest.h>

namespace {

using qmtest::Dump;

MacroValue Str(std::u16string v) {
    return MacroValue::String(std::move(v));
}

// Items "a" (5), "+" (2), 1 (3), "IF" (1) in that order.
cMoMacro_Token FourItems() {
    cMoMacro_Token list;
    list.Add(Str(u"a"), ttName);
    list.Add(Str(u"+"), ttOperator);
    list.Add(MacroValue::Double(1), ttNumber);
    list.Add(Str(u"IF"), ttKeyword);
    return list;
}

TEST(TokenList, AddNotNullStringSkipsOnlyTheEmptyString) {
    cMoMacro_Token list;
    list.AddNotNullString(Str(u""), ttName);
    EXPECT_EQ(list.Count(), 0);
    list.AddNotNullString(Str(u" "), ttName);
    list.AddNotNullString(MacroValue::Int16(0), ttNumber);
    EXPECT_EQ(Dump(list, true), " :5 0:3");
}

TEST(TokenList, ItemAccessAndReplacement) {
    cMoMacro_Token list = FourItems();
    EXPECT_EQ(qmtest::Show(list.TopItem()), "String a");
    EXPECT_EQ(list.TopItemtype(), ttName);
    EXPECT_EQ(qmtest::Show(list.LastItem()), "String IF");
    EXPECT_EQ(list.LastItemType(), ttKeyword);

    list.SetItem(2, MacroValue::Double(5));
    list.SetItemType(1, ttName);
    EXPECT_EQ(Dump(list, true), "a:5 +:5 5:3 IF:1");
    EXPECT_EQ(Dump(list), "a + 5 IF");

    TokenRef nested = NewTokenList();
    nested->Add(Str(u"x"), ttName);
    list.SetItemToken(0, nested);
    EXPECT_EQ(list.ItemType(0), ttName); // storing a reference keeps the item type
    EXPECT_EQ(list.ItemToken(0), nested);
}

TEST(TokenList, OutOfRangeIndexFailsAsAnInternalFault) {
    cMoMacro_Token list = FourItems();
    EXPECT_ANY_THROW(list.Item(4));
    EXPECT_ANY_THROW(list.Item(-1));
    EXPECT_ANY_THROW(list.ItemType(99));
    cMoMacro_Token empty;
    EXPECT_ANY_THROW(empty.LastItem());
}

TEST(TokenList, DeleteAndPop) {
    cMoMacro_Token list = FourItems();
    list.Delete(-1);
    EXPECT_EQ(Dump(list), "a + 1");
    list.Delete(0);
    EXPECT_EQ(Dump(list, true), "+:2 1:3");

    list = FourItems();
    list.Delete(1);
    EXPECT_EQ(Dump(list), "a 1 IF");
    list.Delete(10); // at or past the end: only the last item goes
    EXPECT_EQ(Dump(list), "a 1");

    list = FourItems();
    MacroValue last = list.LastItem();
    MacroValue popped;
    int32_t type = 0;
    list.Pop(popped, type);
    EXPECT_EQ(qmtest::Show(popped), qmtest::Show(last));
    EXPECT_EQ(type, ttKeyword);
    EXPECT_EQ(list.Count(), 3);
    list.Pop(popped);
    EXPECT_EQ(qmtest::Show(popped), "Double 1");
    EXPECT_EQ(list.Count(), 2);
    list.Push(Str(u"FOR"), 7);
    EXPECT_EQ(list.LastItemType(), 7);
}

TEST(TokenList, CopyRanges) {
    cMoMacro_Token list = FourItems();
    EXPECT_EQ(Dump(list.Copy(1, -1)), "+ 1 IF");
    EXPECT_EQ(Dump(list.Copy(0, 99)), "a + 1 IF");
    EXPECT_EQ(Dump(list.Copy(1, 2), true), "+:2 1:3");
    EXPECT_EQ(list.Copy(3, 2)->Count(), 0);
    EXPECT_EQ(Dump(list.Copy(3, 3)), "IF");
    cMoMacro_Token empty;
    EXPECT_EQ(empty.Copy(0, -1)->Count(), 0);
}

TEST(TokenList, NestedListsAreSharedByReference) {
    TokenRef inner = NewTokenList();
    inner->Add(Str(u"x"), ttName);
    cMoMacro_Token outer;
    outer.Add(Str(u"LET"), ttKeyword);
    outer.AddToken(inner);
    EXPECT_EQ(outer.ItemType(1), ttList);

    TokenRef copy = outer.Copy(0, -1);
    cMoMacro_Token appended;
    appended.AddTokenItem(outer);
    EXPECT_EQ(copy->ItemToken(1), inner);
    EXPECT_EQ(appended.ItemToken(1), inner);
    inner->Add(Str(u"y"), ttName);
    EXPECT_EQ(Dump(*copy), "LET [x y]");
    EXPECT_EQ(Dump(appended, true), "LET:1 [x:5 y:5]");

    // Copy goes by the stored value, not by the type column.
    cMoMacro_Token odd;
    odd.Add(MacroValue::Double(0), ttNumber);
    odd.SetItemToken(0, inner);
    TokenRef oddCopy = odd.Copy(0, -1);
    EXPECT_EQ(oddCopy->ItemType(0), ttList);
    EXPECT_EQ(oddCopy->ItemToken(0), inner);
}

TEST(TokenList, AddTokenItemKeepsTypes) {
    cMoMacro_Token list;
    list.Add(Str(u"("), ttOperator);
    list.AddTokenItem(FourItems());
    EXPECT_EQ(Dump(list, true), "(:2 a:5 +:2 1:3 IF:1");
}

TEST(TokenList, SearchSkipsNestedListsAndComparesCaseSensitively) {
    cMoMacro_Token list = FourItems();
    TokenRef inner = NewTokenList();
    list.AddToken(inner);
    list.Add(Str(u"a"), ttString);

    EXPECT_EQ(list.Search(Str(u"a")), 0);
    EXPECT_EQ(list.Search(Str(u"a"), ttString), 5);
    EXPECT_EQ(list.Search(Str(u"IF"), ttKeyword), 3);
    EXPECT_EQ(list.Search(Str(u"if")), -1);
    EXPECT_EQ(list.Search(Str(u"IF"), ttName), -1);
    EXPECT_EQ(list.Search(MacroValue::Int32(1)), 2);
    EXPECT_EQ(list.Search(Str(u"1")), -1);
    EXPECT_EQ(list.Search(MacroValue::List(inner)), -1);
    EXPECT_EQ(list.Search(MacroValue::List(inner), ttList), -1);
}

TEST(TokenList, ItemTestNeedsTypeAndExactValue) {
    cMoMacro_Token list;
    list.Add(Str(u"IF"), ttName);
    list.Add(Str(u"if"), ttKeyword);
    list.Add(Str(u"IF"), ttKeyword);
    list.Add(MacroValue::Int32(3), ttNumber);
    EXPECT_FALSE(list.ItemTest(0, Str(u"IF"), ttKeyword));
    EXPECT_FALSE(list.ItemTest(1, Str(u"IF"), ttKeyword));
    EXPECT_TRUE(list.ItemTest(2, Str(u"IF"), ttKeyword));
    EXPECT_TRUE(list.ItemTest(3, MacroValue::Double(3), ttNumber));
    EXPECT_FALSE(list.ItemTest(3, Str(u"3"), ttNumber));
    EXPECT_TRUE(list.ItemIs(2, u"IF", ttKeyword));
    EXPECT_FALSE(list.ItemIs(1, u"IF", ttKeyword));
    EXPECT_FALSE(list.ItemIs(0, u"IF", ttKeyword));
}

TEST(TokenList, ClearEmptiesTheList) {
    cMoMacro_Token list = FourItems();
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    list.Add(Str(u"b"), ttName);
    EXPECT_EQ(Dump(list, true), "b:5");
}

} // namespace
