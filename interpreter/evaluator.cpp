// The expression evaluator: operator normalisation (merged comparisons, signs) and the two-stack evaluation
// with the language's own priority table; names are resolved left to right as the scan meets them.
#include "engine.h"

#include "value_ops.h"

#include <vector>

namespace {

bool IsOp(const cMoMacro_Token& t, int32_t i, std::u16string_view text) {
    return t.ItemIs(i, text, ttOperator);
}

int32_t OperatorPriority(std::u16string_view op) {
    if (op == u"^") return 340;
    if (op == u"!") return 330;
    if (op == u"*" || op == u"/") return 320;
    if (op == u"\\") return 314;
    if (op == u"MOD") return 312;
    if (op == u"+" || op == u"-") return 310;
    if (op == u"NOT") return 240;
    if (op == u"AND") return 230;
    if (op == u"OR") return 220;
    if (op == u"XOR") return 210;
    if (op == u"=" || op == u"<" || op == u">" || op == u"<=" || op == u">=" || op == u"<>") return 100;
    if (op == u";") return 10;
    if (op == u",") return 2;
    if (op == u"]") return 1;
    if (op == u"[") return 0;
    return -1;
}

bool IsOperatorEntry(const cMoMacro_Token::Entry& e, std::u16string_view text) {
    return e.type == ttOperator && e.value.IsString() && e.value.StringValue() == text;
}

// A "+" or "-" is a sign when it starts the expression or follows an operator other than ")".
bool IsUnarySign(const std::vector<cMoMacro_Token::Entry>& before) {
    return before.empty() || (before.back().type == ttOperator && !IsOperatorEntry(before.back(), u")"));
}

// The two-character comparison that an operator pair forms ("<>" from "<" ">" or "><", "<=", ">="), or "".
std::u16string_view MergedComparison(const cMoMacro_Token::Entry& first,
                                     const cMoMacro_Token::Entry& second) {
    if (first.type != ttOperator || second.type != ttOperator) return u"";
    const std::u16string& a = first.value.StringValue();
    const std::u16string& b = second.value.StringValue();
    if (a == u">") return b == u"<" ? u"<>" : b == u"=" ? u">=" : u"";
    if (a == u"<") return b == u">" ? u"<>" : b == u"=" ? u"<=" : u"";
    if (a == u"=") return b == u"<" ? u"<=" : b == u">" ? u">=" : u"";
    return u"";
}

// Merges two-character comparisons and turns signs into negation ("!"); a double negation cancels and "+"
// signs vanish. One pass from left to right, so the cost stays linear however many signs a line holds.
void NormalizeOperators(cMoMacro_Token& list) {
    const std::vector<cMoMacro_Token::Entry>& in = list.Entries();
    std::vector<cMoMacro_Token::Entry> out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        cMoMacro_Token::Entry e = in[i];
        if (i + 1 < in.size()) {
            std::u16string_view merged = MergedComparison(e, in[i + 1]);
            if (!merged.empty()) {
                e.value = MacroValue::String(std::u16string(merged));
                ++i;
            }
        }
        if (IsOperatorEntry(e, u"-") && IsUnarySign(out)) {
            if (!out.empty() && IsOperatorEntry(out.back(), u"!")) {
                out.pop_back();
                continue;
            }
            e.value = MacroValue::String(u"!");
        } else if (IsOperatorEntry(e, u"+") && IsUnarySign(out)) {
            continue;
        }
        out.push_back(std::move(e));
    }
    list.Clear();
    for (auto& e : out) list.Add(std::move(e.value), e.type);
}

// The tokens strictly between the "(" at p and its matching ")"; p moves to that ")". nullptr when unmatched.
TokenRef ExtractBracket(const cMoMacro_Token& list, int32_t& p, cMoMacro_Error& error) {
    int32_t depth = 0;
    for (int32_t i = p; i < list.Count(); ++i) {
        if (IsOp(list, i, u"("))
            ++depth;
        else if (IsOp(list, i, u")") && --depth == 0) {
            TokenRef group = list.Copy(p + 1, i - 1);
            p = i;
            return group;
        }
    }
    error.Report(2, u"括弧の数があいません");
    return nullptr;
}

using BinaryOperation = int (*)(const MacroValue&, const MacroValue&, MacroValue&);

BinaryOperation ArithmeticOf(std::u16string_view op) {
    if (op == u"+") return AddValues;
    if (op == u"-") return SubtractValues;
    if (op == u"*") return MultiplyValues;
    if (op == u"/") return DivideValues;
    if (op == u"\\") return IntDivideValues;
    if (op == u"MOD") return ModValues;
    if (op == u"^") return PowerValues;
    if (op == u"AND") return AndValues;
    if (op == u"OR") return OrValues;
    if (op == u"XOR") return XorValues;
    return nullptr;
}

// The text reported when an operator finds too few values on the stack.
std::u16string ShortOfValuesText(std::u16string_view op) {
    std::u16string_view shown = op;
    if (op == u"/" || op == u";")
        shown = u"+";
    else if (op == u"<=")
        shown = u"<";
    else if (op == u">=")
        shown = u">";
    else if (op == u"!")
        shown = u"-";
    return u"式が不正です。演算子 " + std::u16string(shown);
}

bool CompareResult(std::u16string_view op, int c) {
    if (op == u"=") return c == 0;
    if (op == u"<") return c < 0;
    if (op == u">") return c > 0;
    if (op == u"<=") return c <= 0;
    if (op == u">=") return c >= 0;
    return c != 0; // "<>"
}

// Applies one operator to the value stack; returns false after reporting an error.
bool ApplyOperator(std::vector<MacroValue>& values, std::u16string_view op, cMoMacro_Error& error) {
    if (op == u",") return true;
    bool unary = op == u"!" || op == u"NOT";
    size_t needed = unary ? 1 : 2;
    if (op == u";" && values.size() == 1) return true;
    if (values.size() < needed) {
        error.Report(4, ShortOfValuesText(op));
        return false;
    }
    MacroValue result;
    int failure = 0;
    if (unary) {
        failure = op == u"!" ? NegateValue(values.back(), result) : NotValue(values.back(), result);
        values.pop_back();
    } else {
        MacroValue right = std::move(values.back());
        values.pop_back();
        MacroValue left = std::move(values.back());
        values.pop_back();
        if (op == u";") {
            result = MacroValue::String(ToText(left) + ToText(right));
        } else if (BinaryOperation f = ArithmeticOf(op)) {
            failure = f(left, right, result);
        } else if (OperatorPriority(op) == 100) {
            result = MacroValue::Boolean(CompareResult(op, CompareValues(left, right)));
        } else {
            error.Report(4, u"未定義の演算子です " + std::u16string(op));
            return false;
        }
    }
    if (failure != 0) {
        error.ReportFailure(4, failure);
        return false;
    }
    values.push_back(std::move(result));
    return true;
}

} // namespace

MacroValue cMoMacro_Engine::Compute(const cMoMacro_Token& expression) {
    TokenRef values = Compute_Nocheck(expression);
    if (error_.ErrorCode() != 0 || !values) return MacroValue();
    if (values->Count() == 1) return values->Item(0);
    error_.Report(2, u"演算子がありません");
    return MacroValue();
}

TokenRef cMoMacro_Engine::Compute_Nocheck(const cMoMacro_Token& expression) {
    cMoMacro_Token work = expression;
    NormalizeOperators(work);
    return EvaluateTokens(work);
}

TokenRef cMoMacro_Engine::EvaluateTokens(const cMoMacro_Token& list) {
    if (bracketDepth_ > kMaxBracketDepth || StackIsLow()) {
        error_.Report(2, u"式が複雑すぎます");
        return nullptr;
    }
    struct DepthGuard {
        int32_t& depth;
        explicit DepthGuard(int32_t& d) : depth(d) { ++depth; }
        ~DepthGuard() { --depth; }
    } guard(bracketDepth_);

    std::vector<std::u16string_view> operators{u"["};
    std::vector<MacroValue> values;
    const int32_t n = list.Count();
    for (int32_t i = 0; i <= n;) {
        int32_t type = i < n ? list.ItemType(i) : ttOperator;
        if (type == ttNumber || type == ttString) {
            values.push_back(list.Item(i));
            ++i;
        } else if (type == ttName || type == ttFunction) {
            const std::u16string& name = list.Item(i).StringValue();
            TokenRef args;
            if (IsOp(list, i + 1, u"(")) {
                int32_t p = i + 1;
                TokenRef group = ExtractBracket(list, p, error_);
                if (!group) return nullptr;
                args = EvaluateTokens(*group);
                if (!args) return nullptr;
                i = p;
            }
            ++i;
            error_.Report(5, u"未定義の変数/関数が使用されました - " + name);
            MacroValue value = ResolveName(name, args.get());
            if (error_.ErrorCode() != 0) return nullptr;
            values.push_back(std::move(value));
        } else if (type == ttOperator) {
            std::u16string_view op = i < n ? std::u16string_view(list.Item(i).StringValue()) : u"]";
            if (op == u")") {
                error_.Report(2, u"括弧の数があいません");
                return nullptr;
            }
            if (op == u"(") {
                TokenRef group = ExtractBracket(list, i, error_);
                if (!group) return nullptr;
                if (group->Count() == 0) {
                    error_.Report(2, u"括弧の中が空です");
                    return nullptr;
                }
                MacroValue value = Compute(*group);
                if (error_.ErrorCode() != 0) return nullptr;
                values.push_back(std::move(value));
                ++i;
                continue;
            }
            int32_t priority = OperatorPriority(op);
            while (OperatorPriority(operators.back()) > priority) {
                if (!ApplyOperator(values, operators.back(), error_)) return nullptr;
                operators.pop_back();
            }
            operators.push_back(op);
            ++i;
        } else {
            error_.Report(2, u"式中に不明な項目があります");
            return nullptr;
        }
    }
    if (operators.size() != 2 || operators[0] != u"[" || operators[1] != u"]") {
        error_.Report(2, u"式が不正です");
        return nullptr;
    }
    TokenRef result = NewTokenList();
    result->Reserve(values.size());
    for (MacroValue& v : values) result->Add(std::move(v), ttNumber);
    return result;
}
