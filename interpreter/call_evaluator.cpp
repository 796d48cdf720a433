// The run of call programs: an expression with calls of user functions evaluated on plain numbers, the
// argument values written straight into the call's store, handed over to the prepared steps where needed.
#include "engine.h"

#include "call_program.h"

namespace {

// An expression that keeps handing over before it has called anything is left to the prepared steps.
void MissedCall(CallProgram& program) {
    if (++program.misses >= CallProgram::kMaxMisses) program.usable = false;
}

} // namespace

// A constant, or a scalar variable holding a plain number.
[[gnu::always_inline]] inline bool
cMoMacro_Engine::ReadCallOperand(PreparedExpression& p, const CallOperand& operand, PlainNumber& out) {
    if (operand.source == CallOperand::Source::Constant) {
        out = operand.constant;
        return true;
    }
    const MacroValue* variable = ScalarValue(p.names[static_cast<size_t>(operand.name)]);
    return variable != nullptr && out.Read(*variable);
}

// A binary operator on its operands, the ones from the stack taken from its top (the right one first);
// false, with the stack as it was, where the general arithmetic must decide.
[[gnu::always_inline]] inline bool cMoMacro_Engine::RunCallBinary(PreparedExpression& p, const CallStep& step,
                                                                  PlainNumber* values, int32_t& height) {
    // The compiler takes a left operand only together with the right one, so the stack holds both operands,
    // the left one or neither.
    PlainNumber left{0, ValueKind::Empty}, right{0, ValueKind::Empty};
    int32_t top = height;
    if (step.right.source == CallOperand::Source::Stack) {
        right = values[--top];
        left = values[--top];
    } else if (step.left.source == CallOperand::Source::Stack) {
        left = values[--top];
        if (!ReadCallOperand(p, step.right, right)) return false;
    } else if (!ReadCallOperand(p, step.left, left) || !ReadCallOperand(p, step.right, right)) {
        return false;
    }
    if (!ApplyPlain(left, right, step.op)) return false;
    values[top] = left;
    height = top + 1;
    return true;
}

// Runs a call program. True when it finished: the result is in result, or the error is reported. False when
// the prepared steps must continue from step resume, with the value stack holding what they would have left
// there (resume 0: nothing was done).
bool cMoMacro_Engine::RunCallProgram(PreparedExpression& p, MacroValue& result, size_t& resume) {
    CallProgram& program = p.calls;
    PlainNumber values[CallProgram::kMaxHeight];
    int32_t height = 0;
    bool called = false;
    MacroValue pending; // a call's result that is no plain number, for the prepared steps after the call
    bool hasPending = false;
    const CallStep* step = program.steps.data();
    const CallStep* const end = step + program.steps.size();
    for (; step != end; ++step) {
        if (step->kind == CallStep::Kind::Push) {
            if (!ReadCallOperand(p, step->left, values[height])) break;
            ++height;
        } else if (step->kind == CallStep::Kind::Binary) {
            if (!RunCallBinary(p, *step, values, height)) break;
        } else if (step->kind == CallStep::Kind::Unary) {
            PlainNumber& operand = values[height - 1];
            if (step->op != Operator::Negate || operand.kind != ValueKind::Double) break;
            operand.value = -operand.value;
        } else {
            PlainNumber* args = values + height - step->count;
            const BracketOutcome outcome =
                RunBracketed(p.names[static_cast<size_t>(step->name)], step->count, args, pending);
            if (outcome == BracketOutcome::Refused) break;
            called = true;
            if (outcome == BracketOutcome::Failed) return true;
            height -= step->count;
            if (outcome == BracketOutcome::Value) {
                hasPending = true;
                break;
            }
            ++height;
        }
    }
    if (step == end) {
        program.misses = 0;
        result = values[0].ToValue();
        return true;
    }
    // The hand-over: the values as the prepared steps would have them, then the rest of the steps.
    if (called)
        program.misses = 0;
    else
        MissedCall(program);
    for (int32_t k = 0; k < height; ++k) stack_.push_back(values[k].ToValue());
    resume = static_cast<size_t>(step->first);
    if (hasPending) {
        stack_.push_back(std::move(pending));
        ++resume; // the call's own step is done
    }
    return false;
}
