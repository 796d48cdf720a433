// The run of numeric programs: constants, scalar variables and array elements read through the name slots'
// caches, operators applied to plain numbers, results kept in a small array instead of the value stack.
#include "engine.h"

#include "numeric_program.h"

bool cMoMacro_Engine::ReadNumericElement(NameSlot& slot, const PlainNumber& subscript, PlainNumber& out) {
    // The same element the general resolution reads: the local store first, and not the running function's
    // own result variable (position 0 of the local store), which with brackets is a call.
    const cMoMacro_Variable* store = local_.get();
    int32_t position = LocalPosition(slot);
    if (position < 0) {
        store = global_.get();
        position = GlobalPosition(slot);
    }
    if (position < 0 || (position == 0 && store != global_.get())) return false;
    int32_t index = -1;
    if (subscript.kind == ValueKind::Boolean || !PlainToInt32(subscript.value, index)) return false;
    const MacroValue* element = store->ElementAt(position, index);
    return element != nullptr && out.Read(*element);
}

// One operand of a step; inlined into the loop below, which reads two per step.
[[gnu::always_inline]] inline bool cMoMacro_Engine::ReadNumericOperand(NameSlot* names,
                                                                       const NumericOperand& operand,
                                                                       const PlainNumber* results,
                                                                       int32_t& count, uint64_t localId,
                                                                       uint64_t globalId, PlainNumber& out) {
    switch (operand.source) {
    case NumericOperand::Source::Constant:
        out = operand.constant;
        return true;
    case NumericOperand::Source::Variable: {
        NameSlot& slot = names[operand.index];
        const MacroValue* value =
            slot.scalarLocal == localId && slot.scalarGlobal == globalId ? slot.scalar : FindScalar(slot);
        return value != nullptr && out.Read(*value);
    }
    case NumericOperand::Source::Result:
        out = results[--count];
        return true;
    }
    return false;
}

namespace {

// An expression that keeps meeting other values (texts, calls) is left to the general steps for good.
bool Missed(NumericProgram& program) {
    if (++program.misses >= NumericProgram::kMaxMisses) program.usable = false;
    return false;
}

} // namespace

// The most common program, one operator on two constants or variables, without the results array.
bool cMoMacro_Engine::RunSingleOperator(PreparedExpression& p, PlainNumber& out) {
    NumericProgram& program = p.numeric;
    const NumericStep& step = program.steps.front();
    NameSlot* names = p.names.data();
    const uint64_t localId = local_->Id(), globalId = global_->Id();
    int32_t count = 0;
    PlainNumber right;
    if (ReadNumericOperand(names, step.right, nullptr, count, localId, globalId, right) &&
        ReadNumericOperand(names, step.left, nullptr, count, localId, globalId, out) &&
        ApplyPlain(out, right, step.op)) {
        program.misses = 0;
        return true;
    }
    return Missed(program);
}

bool cMoMacro_Engine::RunNumericProgram(PreparedExpression& p, PlainNumber& out) {
    NumericProgram& program = p.numeric;
    PlainNumber results[NumericProgram::kMaxResults];
    int32_t count = 0;
    NameSlot* names = p.names.data();
    // Nothing the program does changes a store, so their identities are read once.
    const uint64_t localId = local_->Id(), globalId = global_->Id();
    bool ok = true;
    for (const NumericStep& step : program.steps) {
        PlainNumber left, right;
        if (step.op == Operator::Unknown) {
            ok = ReadNumericOperand(names, step.left, results, count, localId, globalId, right) &&
                 ReadNumericElement(names[step.name], right, left);
        } else if (step.op == Operator::Negate) {
            ok = ReadNumericOperand(names, step.left, results, count, localId, globalId, left) &&
                 left.kind == ValueKind::Double;
            left.value = -left.value;
        } else {
            // The right operand is the newer result, so it is taken first.
            ok = ReadNumericOperand(names, step.right, results, count, localId, globalId, right) &&
                 ReadNumericOperand(names, step.left, results, count, localId, globalId, left) &&
                 ApplyPlain(left, right, step.op);
        }
        if (!ok) break;
        results[count++] = left;
    }
    // With steps, the value is the last step's result; without, the lone constant or variable.
    if (ok && !program.steps.empty())
        out = results[0];
    else if (ok)
        ok = ReadNumericOperand(names, program.result, results, count, localId, globalId, out);
    if (ok) {
        program.misses = 0;
        return true;
    }
    return Missed(program);
}
