// The evaluator's scan of an expression: operator normalisation and the two-stack walk with the language's
// priority table. The walk runs once per expression and records its steps; evaluator.cpp replays them.
#include "engine.h"
#include "prepared_expression.h"
#include "token.h"
#include "variable_store.h"

#include <vector>

namespace {

struct OperatorText {
    std::u16string_view text;
    Operator op;
    int32_t priority;
};

const OperatorText kOperators[] = {
    {u"^", Operator::Power, 340},      {u"!", Operator::Negate, 330},        {u"*", Operator::Multiply, 320},
    {u"/", Operator::Divide, 320},     {u"\\", Operator::IntDivide, 314},    {u"MOD", Operator::Mod, 312},
    {u"+", Operator::Add, 310},        {u"-", Operator::Subtract, 310},      {u"NOT", Operator::Not, 240},
    {u"AND", Operator::And, 230},      {u"OR", Operator::Or, 220},           {u"XOR", Operator::Xor, 210},
    {u"=", Operator::Equal, 100},      {u"<", Operator::Less, 100},          {u">", Operator::Greater, 100},
    {u"<=", Operator::LessEqual, 100}, {u">=", Operator::GreaterEqual, 100}, {u"<>", Operator::NotEqual, 100},
    {u";", Operator::Concat, 10},      {u",", Operator::Comma, 2},           {u"]", Operator::Close, 1},
    {u"[", Operator::Open, 0},
};

// The operator of an operator token's text ("!" for negation, merged comparisons included).
Operator OperatorOf(std::u16string_view text) {
    for (const OperatorText& o : kOperators)
        if (o.text == text) return o.op;
    return Operator::Unknown;
}

int32_t OperatorPriority(Operator op) {
    for (const OperatorText& o : kOperators)
        if (o.op == op) return o.priority;
    return -1;
}

bool IsOperatorEntry(const cMoMacro_Token::Entry& e, std::u16string_view text) {
    return e.type == ttOperator && e.value.IsString() && e.value.StringValue() == text;
}

// A "+" or "-" is a sign when it starts the expression or follows an operator other than ")".
bool IsUnarySign(const std::vector<cMoMacro_Token::Entry>& before) {
    return before.empty() || (before.back().type == ttOperator && !IsOperatorEntry(before.back(), u")"));
}

// The two-character comparison an operator pair forms ("<>" from "<" ">" or "><", "<=", ">="), or "".
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

// Values an operator takes from the stack; ";" with a single value and "," take none.
int32_t Arity(Operator op) {
    if (op == Operator::Negate || op == Operator::Not) return 1;
    if (op == Operator::Comma) return 0;
    return 2;
}

std::u16string ShortOfValuesText(Operator op) {
    switch (op) {
    case Operator::Add:
    case Operator::Divide:
    case Operator::Concat:
        return u"式が不正です。演算子 +";
    case Operator::Subtract:
    case Operator::Negate:
        return u"式が不正です。演算子 -";
    case Operator::Multiply:
        return u"式が不正です。演算子 *";
    case Operator::IntDivide:
        return u"式が不正です。演算子 \\";
    case Operator::Mod:
        return u"式が不正です。演算子 MOD";
    case Operator::Power:
        return u"式が不正です。演算子 ^";
    case Operator::Equal:
        return u"式が不正です。演算子 =";
    case Operator::Less:
    case Operator::LessEqual:
        return u"式が不正です。演算子 <";
    case Operator::Greater:
    case Operator::GreaterEqual:
        return u"式が不正です。演算子 >";
    case Operator::NotEqual:
        return u"式が不正です。演算子 <>";
    case Operator::And:
        return u"式が不正です。演算子 AND";
    case Operator::Or:
        return u"式が不正です。演算子 OR";
    case Operator::Xor:
        return u"式が不正です。演算子 XOR";
    case Operator::Not:
        return u"式が不正です。演算子 NOT";
    default:
        return u"未定義の演算子です";
    }
}

// Records the steps of one scan. Each method returns false once a failure step has been recorded: the scan
// stops there, exactly where the evaluation would stop.
// The whole expression is scanned in place: a bracket group is the range between a "(" and its matching
// ")", found once for all brackets, so nothing is copied and deep nesting costs no more than its length.
class Scanner {
  public:
    Scanner(PreparedExpression& out, const cMoMacro_Token& list);

    // Scans the tokens in [begin, end).
    bool Scan(int32_t begin, int32_t end, int32_t depth, int32_t& height);

  private:
    bool Fail(int32_t code, std::u16string text) {
        out_.failures.push_back({code, std::move(text)});
        out_.steps.push_back({ExpressionStep::Kind::Fail, Operator::Unknown, -1,
                              static_cast<int32_t>(out_.failures.size()) - 1});
        return false;
    }
    bool FindClose(int32_t open, int32_t& close);
    bool Reduce(std::vector<Operator>& operators, Operator incoming, int32_t& height);
    bool ScanName(int32_t& i, int32_t end, int32_t depth);
    bool ScanBracket(int32_t& i, int32_t depth);

    PreparedExpression& out_;
    const cMoMacro_Token& list_;
    std::vector<int32_t> closing_; // for each "(" the index of its matching ")", -1 when it has none
};

Scanner::Scanner(PreparedExpression& out, const cMoMacro_Token& list)
    : out_(out), list_(list), closing_(static_cast<size_t>(list.Count()), -1) {
    std::vector<int32_t> open;
    for (int32_t i = 0; i < list.Count(); ++i) {
        if (list.ItemIs(i, u"(", ttOperator)) {
            open.push_back(i);
        } else if (list.ItemIs(i, u")", ttOperator) && !open.empty()) {
            closing_[static_cast<size_t>(open.back())] = i;
            open.pop_back();
        }
    }
}

// The matching ")" of the "(" at `open`.
bool Scanner::FindClose(int32_t open, int32_t& close) {
    close = closing_[static_cast<size_t>(open)];
    return close >= 0 || Fail(2, u"括弧の数があいません");
}

// Applies every stacked operator that binds strictly tighter than the incoming one.
bool Scanner::Reduce(std::vector<Operator>& operators, Operator incoming, int32_t& height) {
    while (OperatorPriority(operators.back()) > OperatorPriority(incoming)) {
        Operator top = operators.back();
        int32_t arity = top == Operator::Concat && height == 1 ? 0 : Arity(top);
        if (top == Operator::Unknown) return Fail(4, u"未定義の演算子です ");
        if (height < arity) return Fail(4, ShortOfValuesText(top));
        if (arity > 0) {
            out_.steps.push_back({ExpressionStep::Kind::Apply, top, -1, 0});
            height -= arity - 1;
        }
        operators.pop_back();
    }
    return true;
}

// A name, with its bracketed argument values when brackets follow it.
bool Scanner::ScanName(int32_t& i, int32_t end, int32_t depth) {
    const std::u16string& name = list_.Item(i).StringValue();
    int32_t count = -1;
    if (i + 1 < end && list_.ItemIs(i + 1, u"(", ttOperator)) {
        int32_t close = 0;
        if (!FindClose(i + 1, close)) return false;
        if (!Scan(i + 2, close, depth + 1, count)) return false;
        i = close;
    }
    ++i;
    out_.names.push_back(NameSlot{name, UpperCase(name)});
    out_.steps.push_back({ExpressionStep::Kind::Resolve, Operator::Unknown, count,
                          static_cast<int32_t>(out_.names.size()) - 1});
    return true;
}

// A bracketed sub-expression, which must yield exactly one value.
bool Scanner::ScanBracket(int32_t& i, int32_t depth) {
    int32_t close = 0;
    if (!FindClose(i, close)) return false;
    if (close == i + 1) return Fail(2, u"括弧の中が空です");
    int32_t count = 0;
    if (!Scan(i + 1, close, depth + 1, count)) return false;
    if (count != 1) return Fail(2, u"演算子がありません");
    i = close + 1;
    return true;
}

bool Scanner::Scan(int32_t begin, int32_t end, int32_t depth, int32_t& height) {
    if (depth > cMoMacro_Engine::kMaxBracketDepth) return Fail(2, u"式が複雑すぎます");
    std::vector<Operator> operators{Operator::Open};
    height = 0;
    const cMoMacro_Token& list = list_;
    const int32_t n = end;
    for (int32_t i = begin; i <= n;) {
        int32_t type = i < n ? list.ItemType(i) : ttOperator;
        if (type == ttNumber || type == ttString) {
            out_.constants.push_back(list.Item(i));
            out_.steps.push_back({ExpressionStep::Kind::PushConstant, Operator::Unknown, -1,
                                  static_cast<int32_t>(out_.constants.size()) - 1});
            ++height;
            ++i;
        } else if (type == ttName || type == ttFunction) {
            if (!ScanName(i, n, depth)) return false;
            ++height;
        } else if (type == ttOperator) {
            Operator op = i < n ? OperatorOf(list.Item(i).StringValue()) : Operator::Close;
            if (i < n && list.ItemIs(i, u")", ttOperator)) return Fail(2, u"括弧の数があいません");
            if (i < n && list.ItemIs(i, u"(", ttOperator)) {
                if (!ScanBracket(i, depth)) return false;
                ++height;
                continue;
            }
            if (!Reduce(operators, op, height)) return false;
            operators.push_back(op);
            ++i;
        } else {
            return Fail(2, u"式中に不明な項目があります");
        }
    }
    if (operators.size() != 2 || operators[0] != Operator::Open || operators[1] != Operator::Close)
        return Fail(2, u"式が不正です");
    return true;
}

} // namespace

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

void PrepareExpression(const cMoMacro_Token& normalized, PreparedExpression& out) {
    out = PreparedExpression();
    Scanner scanner(out, normalized);
    int32_t height = 0;
    if (scanner.Scan(0, normalized.Count(), 0, height)) out.height = height;
    CompileNumericProgram(out, out.numeric);
    CompileCallProgram(out, out.calls);
}
