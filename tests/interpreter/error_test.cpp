// Tests of the error object: when OnError is raised, what Clear leaves, the order in which Report and
// ReportFailure fill the fields, and the table of messages for every code.
#include "error.h"
#include "failure_text.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using qmtest::U8;

std::string Msg(const cMoMacro_Error& error, const MacroValue& code) {
    return U8(error.ErrorMsg(code));
}

TEST(ErrorObject, APendingTextReadsAsTheJoinedTextUntilReplaced) {
    std::u16string name = u"Mid";
    cMoMacro_Error error;
    std::vector<std::u16string> seen;
    error.SetOnError([&](int32_t&) { seen.push_back(error.ErrorInformation()); });
    error.ReportPending(5, u"undefined - ", name);
    EXPECT_EQ(error.ErrorCode(), 5);
    EXPECT_EQ(seen, std::vector<std::u16string>{u"undefined - Mid"}); // the handler reads it already joined
    error.Settle();
    name = u"changed"; // once settled, the text no longer depends on the name
    EXPECT_EQ(error.ErrorInformation(), u"undefined - Mid");
    // A clear, a report or a new text drops a pending one unread.
    error.ReportPending(5, u"undefined - ", name);
    error.Clear();
    EXPECT_EQ(error.ErrorInformation(), u"");
    error.ReportPending(5, u"undefined - ", name);
    error.Report(7, u"own text");
    EXPECT_EQ(error.ErrorInformation(), u"own text");
    error.ReportPending(5, u"undefined - ", name);
    error.SetErrorInformation(u"set");
    error.Settle();
    EXPECT_EQ(error.ErrorInformation(), u"set");
}

TEST(ErrorObject, StartsEmpty) {
    cMoMacro_Error error;
    EXPECT_EQ(error.ErrorCode(), 0);
    EXPECT_EQ(error.ErrorCodeSub(), 0);
    EXPECT_EQ(error.ErrorLine(), 0);
    EXPECT_EQ(error.ErrorInformation(), u"");
    EXPECT_TRUE(error.ErrorData().IsEmpty());
    EXPECT_EQ(U8(error.ErrorMsg()), "");
}

TEST(ErrorObject, OnErrorOnlyForAChangeToANonZeroCode) {
    cMoMacro_Error error;
    std::vector<int32_t> raised;
    error.SetOnError([&raised](int32_t& code) { raised.push_back(code); });

    error.SetErrorCode(0);
    EXPECT_TRUE(raised.empty());
    error.SetErrorCode(2);
    error.SetErrorCode(2);
    EXPECT_EQ(raised, std::vector<int32_t>{2});
    error.SetErrorCode(3);
    EXPECT_EQ(raised, (std::vector<int32_t>{2, 3}));
    error.SetErrorCode(0);
    EXPECT_EQ(error.ErrorCode(), 0);
    EXPECT_EQ(raised.size(), 2u);

    // Clear raises nothing and keeps the subscriber: the same code raises again afterwards.
    error.SetErrorCode(4);
    error.Clear();
    EXPECT_EQ(raised.size(), 3u);
    error.SetErrorCode(4);
    EXPECT_EQ(raised, (std::vector<int32_t>{2, 3, 4, 4}));
}

TEST(ErrorObject, ClearResetsEveryFieldAndMakesDataNull) {
    cMoMacro_Error error;
    error.SetErrorLine(7);
    error.SetErrorCodeSub(6);
    error.SetErrorInformation(u"不正な文字があります。");
    error.SetErrorData(MacroValue::String(u"&H1"));
    error.SetErrorCode(1);

    error.Clear();
    EXPECT_EQ(error.ErrorCode(), 0);
    EXPECT_EQ(error.ErrorCodeSub(), 0);
    EXPECT_EQ(error.ErrorLine(), 0);
    EXPECT_EQ(error.ErrorInformation(), u"");
    EXPECT_TRUE(error.ErrorData().IsNull());
    EXPECT_FALSE(error.ErrorData().IsEmpty());
    EXPECT_EQ(U8(error.ErrorMsg()), "");
}

TEST(ErrorObject, ReportSetsTheCodeLast) {
    cMoMacro_Error error;
    std::u16string seenInformation;
    int32_t seenSub = -1;
    error.SetOnError([&](int32_t&) {
        seenInformation = error.ErrorInformation();
        seenSub = error.ErrorCodeSub();
    });

    error.Report(2, u"TOがありません");
    EXPECT_EQ(error.ErrorCode(), 2);
    EXPECT_EQ(U8(error.ErrorInformation()), U8(u"TOがありません"));
    EXPECT_EQ(U8(seenInformation), U8(u"TOがありません"));

    error.Clear();
    error.ReportFailure(4, 6);
    EXPECT_EQ(error.ErrorCode(), 4);
    EXPECT_EQ(error.ErrorCodeSub(), 6);
    EXPECT_EQ(U8(error.ErrorInformation()), U8(FailureDescription(6)));
    EXPECT_EQ(seenSub, 6);
    EXPECT_EQ(U8(seenInformation), U8(FailureDescription(6)));
}

TEST(ErrorObject, FailureDescriptionsAreDistinctTexts) {
    const int numbers[] = {5, 6, 11, 13, 53};
    for (int a : numbers) {
        EXPECT_FALSE(FailureDescription(a).empty()) << a;
        for (int b : numbers) {
            if (a != b) {
                EXPECT_NE(FailureDescription(a), FailureDescription(b)) << a << " " << b;
            }
        }
    }
    EXPECT_FALSE(FailureDescription(9999).empty());
}

TEST(ErrorObject, MessageTable) {
    cMoMacro_Error error;
    EXPECT_EQ(Msg(error, MacroValue::Int32(0)), "");
    EXPECT_EQ(Msg(error, MacroValue::Int32(1)), U8(u"不正な文字があります"));
    EXPECT_EQ(Msg(error, MacroValue::Int32(2)), U8(u"構文エラーです"));
    EXPECT_EQ(Msg(error, MacroValue::Int32(3)), U8(u"構文エラーです"));
    EXPECT_EQ(Msg(error, MacroValue::Int32(4)), U8(u"計算ができません"));
    EXPECT_EQ(Msg(error, MacroValue::Int32(5)), U8(u"未定義の名前です"));
    EXPECT_EQ(Msg(error, MacroValue::Int32(6)), U8(u"添字が範囲外です"));
    EXPECT_EQ(Msg(error, MacroValue::Int32(7)), U8(u"関数の呼び出しが不正です"));
    EXPECT_EQ(Msg(error, MacroValue::Int32(100)), U8(u"ユーザによって終了されました"));
    for (int32_t unknown : {8, 50, 99, 101, -1, 2147483647}) {
        EXPECT_EQ(Msg(error, MacroValue::Int32(unknown)), U8(u"定義されていないエラーです")) << unknown;
        EXPECT_EQ(U8(ErrorMessageOf(unknown)), U8(u"定義されていないエラーです")) << unknown;
    }
    EXPECT_EQ(U8(ErrorMessageOf(0)), "");
    EXPECT_EQ(U8(ErrorMessageOf(5)), U8(u"未定義の名前です"));
}

TEST(ErrorObject, MessageArgumentIsRoundedToAWholeCode) {
    cMoMacro_Error error;
    EXPECT_EQ(Msg(error, MacroValue::Double(2.5)), U8(u"構文エラーです"));
    EXPECT_EQ(Msg(error, MacroValue::Double(3.5)), U8(u"計算ができません"));
    EXPECT_EQ(Msg(error, MacroValue::Int16(7)), U8(u"関数の呼び出しが不正です"));
    EXPECT_EQ(Msg(error, MacroValue::String(u"5")), U8(u"未定義の名前です"));
}

TEST(ErrorObject, MessageWithoutArgumentUsesTheStoredCode) {
    cMoMacro_Error error;
    error.SetErrorCode(100);
    EXPECT_EQ(U8(error.ErrorMsg()), U8(u"ユーザによって終了されました"));
    error.SetErrorCode(42);
    EXPECT_EQ(U8(error.ErrorMsg()), U8(u"定義されていないエラーです"));
}

} // namespace
