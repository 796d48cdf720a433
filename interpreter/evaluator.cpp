// The expression evaluator: Compute and Compute_Nocheck replay an expression's prepared steps on a value
// stack, resolving names left to right as they come and applying operators with the MacroValue arithmetic.
#include "engine.h"

#include "plain_number.h"
#include "value_ops.h"

#include <cmath>
#include <new>

namespace {

using BinaryOperation = int (*)(const MacroValue&, const MacroValue&, MacroValue&);

BinaryOperation ArithmeticOf(Operator op) {
    switch (op) {
    case Operator::Add:
        return AddValues;
    case Operator::Subtract:
        return SubtractValues;
    case Operator::Multiply:
        return MultiplyValues;
    case Operator::Divide:
        return DivideValues;
    case Operator::IntDivide:
        return IntDivideValues;
    case Operator::Mod:
        return ModValues;
    case Operator::Power:
        return PowerValues;
    case Operator::And:
        return AndValues;
    case Operator::Or:
        return OrValues;
    case Operator::Xor:
        return XorValues;
    default:
        return nullptr;
    }
}

// The common operand kinds are combined by the plain-number rules, which give the results the general
// MacroValue arithmetic gives them; false leaves the operator to that arithmetic.
[[gnu::always_inline]] inline bool ApplyToPlainNumbers(MacroValue& left, const MacroValue& right,
                                                       Operator op) {
    PlainNumber l, r;
    if (!l.Read(left) || !r.Read(right) || !ApplyPlain(l, r, op)) return false;
    l.WriteTo(left);
    return true;
}

// "+" of two strings (or a string and empty) and "&" onto a string: the left value on the stack is the
// operator's own copy, so the right text is appended to it in place instead of building a third text.
bool AppendInPlace(MacroValue& left, const MacroValue& right, Operator op, int& failure) {
    if (!left.IsString()) return false;
    if (op == Operator::Add && !(right.IsString() || right.IsEmpty())) return false;
    if (op != Operator::Add && op != Operator::Concat) return false;
    if (right.IsString() || right.IsEmpty()) {
        const std::u16string& tail = right.StringValue();
        failure = TextLengthFailure(left.StringValue().size() + tail.size());
        if (failure == 0) left.AppendToString(tail);
        return true;
    }
    std::u16string tail = ToText(right);
    failure = TextLengthFailure(left.StringValue().size() + tail.size());
    if (failure == 0) left.AppendToString(tail);
    return true;
}

// Applies an operator to the top of the stack (the scan has made sure enough values are there). Kept out of
// line so that the evaluation loop, which recursion passes through, keeps a small stack frame.
[[gnu::noinline]] int ApplyOperator(std::vector<MacroValue>& stack, Operator op) {
    MacroValue result;
    int failure = 0;
    if (op == Operator::Negate || op == Operator::Not) {
        failure = op == Operator::Negate ? NegateValue(stack.back(), result) : NotValue(stack.back(), result);
        if (failure == 0) stack.back() = std::move(result);
        return failure;
    }
    MacroValue& left = stack[stack.size() - 2];
    const MacroValue& right = stack.back();
    if (ApplyToPlainNumbers(left, right, op)) {
        stack.pop_back();
        return 0;
    }
    if (AppendInPlace(left, right, op, failure)) {
        if (failure == 0) stack.pop_back();
        return failure;
    }
    if (op == Operator::Concat)
        failure = JoinTexts(ToText(left), ToText(right), result);
    else if (BinaryOperation f = ArithmeticOf(op))
        failure = f(left, right, result);
    else
        result = MacroValue::Boolean(CompareResult(op, CompareValues(left, right)));
    if (failure != 0) return failure;
    left = std::move(result);
    stack.pop_back();
    return 0;
}

} // namespace

// The scan of an expression that has not been prepared yet (or has changed since). What the prepared forms of
// an expression hold grows with its tokens; they count against the thread's memory budget before they are
// made, so one line of millions of operators ends with the out-of-memory failure at its line instead of
// taking gigabytes.
[[gnu::noinline]] void cMoMacro_Engine::Prepare(const cMoMacro_Token& expression, TokenCache& cache) {
    constexpr size_t kPreparedBytesPerToken = 160;
    TextMemory::Refund(cache.charged);
    cache.charged = 0;
    const size_t bytes = static_cast<size_t>(expression.Count()) * kPreparedBytesPerToken;
    if (!TextMemory::HasRoomFor(bytes)) throw std::bad_alloc();
    TextMemory::Charge(bytes);
    cache.charged = bytes;
    cMoMacro_Token work = expression;
    NormalizeOperators(work);
    PrepareExpression(work, cache.expression);
    cache.prepared = true;
}

// An assignment "s = s + tail" would copy the text of s to append to it, only to drop the old text when the
// result is stored. When the last step appends to a text that only the assignment's target and the left
// operand share, and the result is sure to be stored (it will be the expression's only value and fits the
// length limit), the target lets go of the text first, so the append happens in place. Nothing runs between
// that step and the store, so no one can see the target in between.
void cMoMacro_Engine::LetGoOfAppendedText(NameSlot& target, const MacroValue& left, const MacroValue& right,
                                          Operator op) {
    if (!left.IsString() || left.TextShareCount() != 2 || (op != Operator::Add && op != Operator::Concat))
        return;
    if (!right.IsString() && !right.IsEmpty()) return;
    if (TextLengthFailure(left.StringValue().size() + right.StringValue().size()) != 0) return;
    MacroValue* variable = MutableScalar(target);
    if (variable != nullptr && variable->SharesTextWith(left)) *variable = MacroValue();
}

bool cMoMacro_Engine::RunPrepared(PreparedExpression& p, NameSlot* appendTarget, size_t base, size_t start) {
    // The steps' ends are read once, as a range loop reads them: nothing the steps run changes them.
    const ExpressionStep* const end = p.steps.data() + p.steps.size();
    for (const ExpressionStep* at = p.steps.data() + start; at != end; ++at) {
        const ExpressionStep& step = *at;
        switch (step.kind) {
        case ExpressionStep::Kind::PushConstant:
            stack_.push_back(p.constants[static_cast<size_t>(step.index)]);
            break;
        case ExpressionStep::Kind::Resolve:
            if (!PushName(p.names[static_cast<size_t>(step.index)], step.count)) return false;
            break;
        case ExpressionStep::Kind::Apply: {
            if (step.op != Operator::Negate && step.op != Operator::Not) {
                MacroValue& right = stack_.back();
                MacroValue& left = stack_[stack_.size() - 2];
                if (ApplyToPlainNumbers(left, right, step.op)) {
                    stack_.pop_back();
                    break;
                }
            }
            if (appendTarget != nullptr && &step == &p.steps.back() && stack_.size() == base + 2)
                LetGoOfAppendedText(*appendTarget, stack_[stack_.size() - 2], stack_.back(), step.op);
            if (int failure = ApplyOperator(stack_, step.op)) {
                error_.ReportFailure(4, failure);
                return false;
            }
            break;
        }
        case ExpressionStep::Kind::Fail: {
            const ExpressionFailure& f = p.failures[static_cast<size_t>(step.index)];
            error_.Report(f.code, f.text);
            return false;
        }
        }
    }
    return true;
}

MacroValue cMoMacro_Engine::ComputePrepared(PreparedExpression& p, NameSlot* appendTarget) {
    // A lone constant or a lone name needs no value stack.
    if (p.steps.size() == 1 && p.steps[0].kind == ExpressionStep::Kind::PushConstant)
        return p.constants[static_cast<size_t>(p.steps[0].index)];
    if (p.steps.size() == 1 && p.steps[0].kind == ExpressionStep::Kind::Resolve && p.steps[0].count < 0) {
        NameSlot& slot = p.names[static_cast<size_t>(p.steps[0].index)];
        if (const MacroValue* scalar = ScalarValue(slot)) return *scalar;
        MacroValue value = ResolveSlot(slot, -1);
        return error_.ErrorCode() != 0 ? MacroValue() : value;
    }
    PlainNumber number;
    if (RunNumeric(p, number)) return number.ToValue();
    size_t base = stack_.size();
    size_t start = 0;
    if (p.calls.usable) {
        MacroValue result;
        if (RunCallProgram(p, result, start)) return result;
    }
    bool ok = RunPrepared(p, appendTarget, base, start);
    if (ok && stack_.size() == base + 1) {
        MacroValue result(std::move(stack_.back()));
        stack_.pop_back();
        return result;
    }
    if (ok) error_.Report(2, u"演算子がありません");
    stack_.resize(base);
    return MacroValue();
}

TokenRef cMoMacro_Engine::Compute_Nocheck(const cMoMacro_Token& expression) {
    size_t base = stack_.size();
    TokenRef values;
    if (RunPrepared(Prepared(expression))) {
        values = NewTokenList();
        values->Reserve(stack_.size() - base);
        for (size_t k = base; k < stack_.size(); ++k) values->Add(std::move(stack_[k]), ttNumber);
    }
    stack_.resize(base);
    return values;
}
