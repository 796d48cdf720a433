// The statement compiler: one compiler per statement kind, plus argument splitting and parenthesis groups.
// Bracket groups are cut by counting depth, never by recursion, so any nesting compiles.
#include "statement_compiler.h"

namespace {

bool IsOp(const cMoMacro_Token& t, int32_t i, std::u16string_view text) {
    return t.ItemIs(i, text, ttOperator);
}
bool IsKw(const cMoMacro_Token& t, int32_t i, std::u16string_view text) {
    return t.ItemIs(i, text, ttKeyword);
}

TokenRef Keyword(std::u16string_view text) {
    TokenRef form = NewTokenList();
    form->Add(MacroValue::String(std::u16string(text)), ttKeyword);
    return form;
}

int32_t FindKeyword(const cMoMacro_Token& t, std::u16string_view text, int32_t from) {
    for (int32_t i = from; i < t.Count(); ++i)
        if (IsKw(t, i, text)) return i;
    return -1;
}

TokenRef Fail(cMoMacro_Error& error, std::u16string text) {
    error.Report(2, std::move(text));
    return nullptr;
}

// A statement that must stand alone: the keyword form, or the error text when anything follows.
TokenRef Alone(const cMoMacro_Token& t, std::u16string_view form, std::u16string text,
               cMoMacro_Error& error) {
    if (t.Count() != 1) return Fail(error, std::move(text));
    return Keyword(form);
}

TokenRef CompileDim(const cMoMacro_Token& t, cMoMacro_Error& error) {
    TokenRef items = ParseArguments(t, 1, -1, error);
    if (!items) return nullptr;
    if (items->Count() == 0) return Fail(error, u"定義する変数名が指定されていません");
    TokenRef form = Keyword(u"DIM");
    for (int32_t k = 0; k < items->Count(); ++k) {
        const cMoMacro_Token& item = *items->ItemToken(k);
        int32_t n = item.Count();
        if (n == 0 || item.ItemType(0) != ttName || n == 2 || n == 3)
            return Fail(error, u"使用できない名前の変数が定義されています。");
        TokenRef compiled = NewTokenList();
        compiled->Add(item.Item(0), ttName);
        if (n >= 4) {
            if (!IsOp(item, 1, u"(") || !IsOp(item, n - 1, u")"))
                return Fail(error, u"配列の定義が正しくありません");
            compiled->AddToken(item.Copy(2, n - 2));
        }
        form->AddToken(compiled);
    }
    return form;
}

TokenRef CompileFor(const cMoMacro_Token& t, cMoMacro_Error& error) {
    int32_t to = FindKeyword(t, u"TO", 1);
    if (to < 0) return Fail(error, u"TOがありません");
    if (to == 1) return Fail(error, u"変数が指定されていません");
    TokenRef header = t.Copy(1, to - 1);
    int32_t step = FindKeyword(t, u"STEP", to + 1);
    TokenRef endValue, stepValue;
    if (step >= 0) {
        if (step == t.Count() - 1) return Fail(error, u"STEP値が指定されていません");
        endValue = step > to + 1 ? t.Copy(to + 1, step - 1) : NewTokenList();
        stepValue = t.Copy(step + 1, -1);
    } else {
        endValue = to < t.Count() - 1 ? t.Copy(to + 1, -1) : NewTokenList();
        stepValue = NewTokenList();
        stepValue->Add(MacroValue::Double(1), ttNumber);
    }
    if (endValue->Count() == 0) return Fail(error, u"終了値が指定されていません");
    if (header->ItemType(0) != ttName) return Fail(error, u"変数が指定されていません");
    if (header->Count() == 1) return Fail(error, u"初期値が指定されていません");
    TokenRef variable = NewTokenList();
    variable->Add(header->Item(0), ttName);
    int32_t next = 1;
    if (IsOp(*header, 1, u"(")) {
        int32_t end = 0;
        TokenRef group = CutParenGroup(*header, 1, end, error);
        if (!group) return nullptr;
        if (group->Count() <= 2) return Fail(error, u"配列の指定が正しくありません");
        variable->AddToken(group);
        next = end + 1;
    }
    if (!IsOp(*header, next, u"=") || next + 1 >= header->Count())
        return Fail(error, u"初期値が指定されていません");
    TokenRef form = Keyword(u"FOR");
    form->AddToken(variable);
    form->AddToken(header->Copy(next + 1, -1));
    form->AddToken(endValue);
    form->AddToken(stepValue);
    return form;
}

TokenRef CompileIf(const cMoMacro_Token& t, cMoMacro_Error& error) {
    int32_t then = FindKeyword(t, u"THEN", 1);
    if (then < 0) return Fail(error, u"THENがありません");
    if (then == 1) return Fail(error, u"条件式がありません");
    if (then != t.Count() - 1) return Fail(error, u"THENの後ろに文は記述できません");
    TokenRef form = Keyword(u"IF");
    form->AddToken(t.Copy(1, then - 1));
    return form;
}

TokenRef CompileEnd(const cMoMacro_Token& t, cMoMacro_Error& error) {
    if (t.Count() == 1) return Keyword(u"END");
    if (t.Count() == 2) {
        for (std::u16string_view block : {u"IF", u"FUNCTION", u"SUB"})
            if (IsKw(t, 1, block)) return Keyword(u"END " + std::u16string(block));
    }
    return Fail(error, u"無効なEND文です");
}

TokenRef CompileWhile(const cMoMacro_Token& t, cMoMacro_Error& error) {
    if (t.Count() == 1) return Fail(error, u"条件式がありません");
    TokenRef form = Keyword(u"WHILE");
    form->AddToken(t.Copy(1, -1));
    return form;
}

TokenRef CompileFunction(const cMoMacro_Token& t, cMoMacro_Error& error) {
    if (t.Count() < 4) return Fail(error, u"関数名／引数が指定されていません");
    if (t.ItemType(1) != ttName) return Fail(error, u"関数名が不正です");
    if (!IsOp(t, 2, u"(")) return Fail(error, u"引数が指定されていません");
    int32_t end = 0;
    if (!CutParenGroup(t, 2, end, error)) return nullptr;
    TokenRef parameters = ParseArguments(t, 3, end - 1, error);
    if (!parameters) return nullptr;
    for (int32_t k = 0; k < parameters->Count(); ++k) {
        const cMoMacro_Token& p = *parameters->ItemToken(k);
        if (p.Count() != 1) return Fail(error, u"引数が不正です");
        if (p.ItemType(0) != ttName) return Fail(error, u"引数の変数名が使用できない名称です");
    }
    if (end != t.Count() - 1) return Fail(error, u"関数の定義が不正です");
    TokenRef form = Keyword(t.Item(0).StringValue());
    form->Add(t.Item(1), ttName);
    form->AddToken(parameters);
    return form;
}

TokenRef CompileExit(const cMoMacro_Token& t, cMoMacro_Error& error) {
    if (t.Count() == 2) {
        for (std::u16string_view block : {u"FOR", u"FUNCTION", u"SUB", u"WHILE", u"IF"})
            if (IsKw(t, 1, block)) return Keyword(u"EXIT " + std::u16string(block));
    }
    return Fail(error, u"無効なEXIT文です");
}

TokenRef CompileKeywordStatement(const cMoMacro_Token& t, cMoMacro_Error& error) {
    const std::u16string& kw = t.Item(0).StringValue();
    if (kw == u"DIM") return CompileDim(t, error);
    if (kw == u"FOR") return CompileFor(t, error);
    if (kw == u"NEXT") return Alone(t, u"NEXT", u"NEXT文の使い方が正しくありません", error);
    if (kw == u"IF") return CompileIf(t, error);
    if (kw == u"ELSE") return Alone(t, u"ELSE", u"ELSEの後ろに文は記述できません", error);
    if (kw == u"END") return CompileEnd(t, error);
    if (kw == u"WHILE") return CompileWhile(t, error);
    if (kw == u"WEND") return Alone(t, u"WEND", u"WENDの後ろに文は記述できません", error);
    if (kw == u"FUNCTION" || kw == u"SUB") return CompileFunction(t, error);
    if (kw == u"EXIT") return CompileExit(t, error);
    error.SetErrorInformation(u"未対応の制御文が使用されました。");
    error.SetErrorData(t.Item(0));
    error.SetErrorCode(2);
    return nullptr;
}

TokenRef CallForm(const MacroValue& name, TokenRef arguments) {
    TokenRef form = Keyword(u"CALL");
    form->Add(name, ttName);
    form->AddToken(std::move(arguments));
    return form;
}

// A line that starts with a name: an assignment (to a variable or an array element) or a procedure call.
TokenRef CompileNameStatement(const cMoMacro_Token& t, cMoMacro_Error& error) {
    if (t.Count() == 1) return CallForm(t.Item(0), NewTokenList());
    TokenRef target = NewTokenList();
    target->Add(t.Item(0), ttName);
    int32_t next = 1;
    bool grouped = false;
    if (IsOp(t, 1, u"(")) {
        int32_t end = 0;
        TokenRef group = CutParenGroup(t, 1, end, error);
        if (!group) return nullptr;
        if (group->Count() <= 2) return Fail(error, u"配列の添字が不正です");
        target->AddToken(group->Copy(1, group->Count() - 2));
        next = end + 1;
        grouped = true;
    }
    if (IsOp(t, next, u"=")) {
        if (next == t.Count() - 1) return Fail(error, u"代入文の右辺がありません");
        TokenRef form = Keyword(u"LET");
        form->AddToken(target);
        form->AddToken(t.Copy(next + 1, -1));
        return form;
    }
    if (grouped) return Fail(error, u"サブルーチンの呼び出し方が正しくありません");
    TokenRef arguments = ParseArguments(t, 1, -1, error);
    if (!arguments) return nullptr;
    return CallForm(t.Item(0), arguments);
}

} // namespace

TokenRef CutParenGroup(const cMoMacro_Token& tokens, int32_t start, int32_t& end, cMoMacro_Error& error) {
    TokenRef group = NewTokenList();
    int32_t depth = 0, i = start;
    do {
        if (i >= tokens.Count()) return Fail(error, u"（）の数が合いません");
        if (IsOp(tokens, i, u"("))
            ++depth;
        else if (IsOp(tokens, i, u")"))
            --depth;
        const auto& entry = tokens.Entries()[static_cast<size_t>(i)];
        group->Add(entry.value, entry.type);
        ++i;
    } while (depth > 0);
    end = i - 1;
    return group;
}

TokenRef ParseArguments(const cMoMacro_Token& tokens, int32_t first, int32_t last, cMoMacro_Error& error) {
    if (last < 0) last = tokens.Count() - 1;
    TokenRef result = NewTokenList();
    TokenRef current = NewTokenList();
    for (int32_t i = first; i <= last; ++i) {
        if (IsOp(tokens, i, u"(")) {
            int32_t end = 0;
            TokenRef group = CutParenGroup(tokens, i, end, error);
            if (!group) return nullptr;
            current->AddTokenItem(*group);
            i = end;
        } else if (IsOp(tokens, i, u",")) {
            if (i == last) return Fail(error, u",で終わってます");
            result->AddToken(current);
            current = NewTokenList();
        } else {
            const auto& entry = tokens.Entries()[static_cast<size_t>(i)];
            current->Add(entry.value, entry.type);
        }
    }
    result->AddToken(current);
    if (result->Count() == 1 && current->Count() == 0) result->Clear();
    return result;
}

TokenRef CompileStatement(const cMoMacro_Token& tokens, cMoMacro_Error& error) {
    if (tokens.Count() == 0) return NewTokenList();
    switch (tokens.ItemType(0)) {
    case ttKeyword:
        return CompileKeywordStatement(tokens, error);
    case ttName:
        return CompileNameStatement(tokens, error);
    case ttFunction: {
        TokenRef arguments = ParseArguments(tokens, 1, -1, error);
        if (!arguments) return nullptr;
        return CallForm(tokens.Item(0), arguments);
    }
    default:
        error.Report(2, u"");
        return nullptr;
    }
}
