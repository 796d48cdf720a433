// The run of numeric programs: the variables' addresses found once per change of the stores, operators
// applied to plain numbers, results kept in a small array instead of the value stack.
#include "engine.h"

#include "numeric_program.h"

bool cMoMacro_Engine::BindNumericOperand(PreparedExpression& p, NumericOperand& operand) {
    if (operand.source != NumericOperand::Source::Variable) return true;
    NameSlot& slot = p.names[static_cast<size_t>(operand.index)];
    operand.address = ScalarValue(slot);
    operand.localPosition = LocalPosition(slot);
    return operand.address != nullptr;
}

// A local variable of a store of the bound shape, at the position it was found at.
void cMoMacro_Engine::RelocateNumericOperand(NumericOperand& operand) {
    if (operand.source == NumericOperand::Source::Variable && operand.localPosition >= 0)
        operand.address = &local_->KnownScalar(operand.localPosition);
}

// The same local variables in a new local store of the bound shape; false when an array is not found there.
bool cMoMacro_Engine::RelocateNumericProgram(NumericProgram& program) {
    for (NumericStep& step : program.steps) {
        RelocateNumericOperand(step.left);
        RelocateNumericOperand(step.right);
        if (step.op == Operator::Unknown && step.localPosition >= 0 &&
            !local_->ArrayAt(step.localPosition, step.elements, step.lastIndex))
            return false;
    }
    RelocateNumericOperand(program.result);
    return true;
}

// The array an element read reads: the one the general resolution finds, the local store first, and not the
// running function's own result variable (position 0 of the local store), which with brackets is a call.
bool cMoMacro_Engine::BindNumericElements(NameSlot& slot, NumericStep& step) {
    const cMoMacro_Variable* store = nullptr;
    const int32_t position = ElementOwner(slot, store);
    step.localPosition = store == global_.get() ? -1 : position;
    if (position < 0) return false;
    return store->ArrayAt(position, step.elements, step.lastIndex);
}

bool cMoMacro_Engine::BindNumericProgram(PreparedExpression& p) {
    NumericProgram& program = p.numeric;
    if (program.boundLocal != 0 && program.boundGlobal == global_->Id() &&
        program.boundShape == local_->Shape() && RelocateNumericProgram(program)) {
        program.boundLocal = local_->Id();
        return true;
    }
    program.boundLocal = program.boundGlobal = 0;
    for (NumericStep& step : program.steps) {
        if (!BindNumericOperand(p, step.left) || !BindNumericOperand(p, step.right)) return false;
        if (step.op == Operator::Unknown &&
            !BindNumericElements(p.names[static_cast<size_t>(step.name)], step))
            return false;
    }
    if (!BindNumericOperand(p, program.result)) return false;
    program.boundLocal = local_->Id();
    program.boundGlobal = global_->Id();
    program.boundShape = local_->Shape();
    return true;
}

namespace {

[[gnu::always_inline]] inline bool ReadOperand(const NumericOperand& operand, const PlainNumber* results,
                                               int32_t& count, PlainNumber& out) {
    if (operand.source == NumericOperand::Source::Result) {
        out = results[--count];
        return true;
    }
    return ReadDirectOperand(operand, out);
}

// The element a plain subscript names in a bound array; false for a boolean subscript, one that is not a
// 32-bit whole number or one outside the array, all of which the general resolution reports.
bool ReadElement(const NumericStep& step, const PlainNumber& subscript, PlainNumber& out) {
    int32_t index = -1;
    if (subscript.kind == ValueKind::Boolean || !PlainToInt32(subscript.value, index)) return false;
    if (index < 0 || index > step.lastIndex) return false;
    return out.Read(step.elements[index]);
}

// An expression that keeps meeting other values (texts, calls) is left to the general steps for good.
bool Missed(NumericProgram& program) {
    if (++program.misses >= NumericProgram::kMaxMisses) program.usable = false;
    return false;
}

} // namespace

// The most common program, one operator on two constants or variables, without the results array.
bool cMoMacro_Engine::RunSingleOperator(PreparedExpression& p, PlainNumber& out) {
    NumericProgram& program = p.numeric;
    if (!NumericProgramBound(p)) return Missed(program);
    if (RunBoundSingleOperator(program, out)) {
        program.misses = 0;
        return true;
    }
    return Missed(program);
}

bool cMoMacro_Engine::RunNumericProgram(PreparedExpression& p, PlainNumber& out) {
    NumericProgram& program = p.numeric;
    if (!NumericProgramBound(p)) return Missed(program);
    PlainNumber results[NumericProgram::kMaxResults];
    int32_t count = 0;
    bool ok = true;
    for (const NumericStep& step : program.steps) {
        PlainNumber left, right;
        if (step.op == Operator::Unknown) {
            ok = ReadOperand(step.left, results, count, right) && ReadElement(step, right, left);
        } else if (step.op == Operator::Negate) {
            ok = ReadOperand(step.left, results, count, left) && left.kind == ValueKind::Double;
            left.value = -left.value;
        } else {
            // The right operand is the newer result, so it is taken first.
            ok = ReadOperand(step.right, results, count, right) &&
                 ReadOperand(step.left, results, count, left) && ApplyPlain(left, right, step.op);
        }
        if (!ok) break;
        results[count++] = left;
    }
    // With steps, the value is the last step's result; without, the lone constant or variable.
    if (ok && !program.steps.empty())
        out = results[0];
    else if (ok)
        ok = ReadDirectOperand(program.result, out);
    if (ok) {
        program.misses = 0;
        return true;
    }
    return Missed(program);
}
