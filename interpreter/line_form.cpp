// Building the compact forms of lines: after a line ran through the block runner's plain path, the addresses
// its code and its expressions were bound to are copied into its form, with the identities of the stores.
#include "engine.h"

namespace {

using Shape = LineForm::Shape;

// The address a direct operand of a bound program reads: the variable, or the expression's own constant.
const MacroValue* OperandAddress(const PreparedExpression& p, const NumericOperand& operand) {
    switch (operand.source) {
    case NumericOperand::Source::Constant:
        return &p.constants[static_cast<size_t>(operand.index)];
    case NumericOperand::Source::Variable:
        return operand.address;
    default:
        return nullptr;
    }
}

Shape ArithmeticShape(Operator op) {
    switch (op) {
    case Operator::Add:
        return Shape::AssignAdd;
    case Operator::Subtract:
        return Shape::AssignSubtract;
    case Operator::Multiply:
        return Shape::AssignMultiply;
    case Operator::Divide:
        return Shape::AssignDivide;
    default:
        return Shape::None;
    }
}

// The IF or WHILE shape of a comparison (the WHILE shapes follow the IF shapes in the same order).
Shape ComparisonShape(Operator op, bool loop) {
    int32_t k = 0;
    switch (op) {
    case Operator::Equal:
        k = 0;
        break;
    case Operator::Less:
        k = 1;
        break;
    case Operator::Greater:
        k = 2;
        break;
    case Operator::LessEqual:
        k = 3;
        break;
    case Operator::GreaterEqual:
        k = 4;
        break;
    case Operator::NotEqual:
        k = 5;
        break;
    default:
        return Shape::None;
    }
    const Shape first = loop ? Shape::WhileEqual : Shape::IfEqual;
    return static_cast<Shape>(static_cast<int32_t>(first) + k);
}

// A program that is a lone constant or variable: its address, or nullptr.
const MacroValue* LoneOperandAddress(const PreparedExpression& p) {
    return p.numeric.steps.empty() ? OperandAddress(p, p.numeric.result) : nullptr;
}

// The local position of a bound operand (-1: a constant or a global variable).
int32_t OperandPosition(const NumericOperand& operand) {
    return operand.source == NumericOperand::Source::Variable ? operand.localPosition : -1;
}

} // namespace

bool cMoMacro_Engine::BoundHere(const LineCode& code) const {
    return code.boundLocal == local_->Id() && code.boundGlobal == global_->Id();
}

bool cMoMacro_Engine::BoundHere(const NumericProgram& program) const {
    return program.usable && program.boundLocal == local_->Id() && program.boundGlobal == global_->Id();
}

// An assignment: a scalar given a lone operand, one operator on two or another numeric program, or an
// element given a lone operand with a lone operand as subscript.
Shape cMoMacro_Engine::AssignForm(const LineCode& code, LineForm& form) const {
    const PreparedExpression& value = *code.prepared[0];
    if (!code.plainTarget) return Shape::None;
    if (!BoundHere(code) || !BoundHere(value.numeric)) return Shape::Unknown;
    form.target = code.targetAddress;
    form.targetPosition = code.targetPosition;
    if (code.subscript != nullptr) {
        const PreparedExpression& subscript = *code.subscript;
        if (!BoundHere(subscript.numeric)) return Shape::Unknown;
        form.left = LoneOperandAddress(subscript);
        form.right = LoneOperandAddress(value);
        form.leftPosition = OperandPosition(subscript.numeric.result);
        form.rightPosition = OperandPosition(value.numeric.result);
        form.lastIndex = code.lastIndex;
        return form.left != nullptr && form.right != nullptr ? Shape::AssignElement : Shape::None;
    }
    if (const MacroValue* lone = LoneOperandAddress(value)) {
        form.left = lone;
        form.leftPosition = OperandPosition(value.numeric.result);
        return Shape::Assign;
    }
    const Shape arithmetic = value.numeric.singleOperator && OperatorForm(value, form)
                                 ? ArithmeticShape(value.numeric.steps.front().op)
                                 : Shape::None;
    return arithmetic != Shape::None ? arithmetic : ProgramForm(code.prepared[0], form, Shape::AssignProgram);
}

// Any other numeric program: the form runs the program itself.
Shape cMoMacro_Engine::ProgramForm(PreparedExpression* p, LineForm& form, Shape shape) const {
    form.program = p;
    form.left = form.right = nullptr;
    form.leftPosition = form.rightPosition = -1;
    return shape;
}

// The two operands of a bound program of one operator.
bool cMoMacro_Engine::OperatorForm(const PreparedExpression& p, LineForm& form) const {
    const NumericStep& step = p.numeric.steps.front();
    form.left = OperandAddress(p, step.left);
    form.right = OperandAddress(p, step.right);
    form.leftPosition = OperandPosition(step.left);
    form.rightPosition = OperandPosition(step.right);
    return form.left != nullptr && form.right != nullptr;
}

// IF or WHILE on one comparison of two constants or variables, or on another numeric program.
Shape cMoMacro_Engine::ConditionForm(const LineCode& code, LineForm& form, bool loop) const {
    const PreparedExpression& condition = *code.prepared[0];
    if (!BoundHere(condition.numeric)) return condition.numeric.usable ? Shape::Unknown : Shape::None;
    form.jump = code.jump;
    form.jumpIfFalse = code.jumpIfFalse;
    const Shape comparison = condition.numeric.singleOperator && OperatorForm(condition, form)
                                 ? ComparisonShape(condition.numeric.steps.front().op, loop)
                                 : Shape::None;
    if (comparison != Shape::None) return comparison;
    if (!loop && ElementComparisonForm(condition, form)) return Shape::IfElement;
    return ProgramForm(code.prepared[0], form, loop ? Shape::WhileProgram : Shape::IfProgram);
}

// A bound program that compares an array element (its subscript a constant or variable) with a constant or
// variable: "flag(i) = 0".
bool cMoMacro_Engine::ElementComparisonForm(const PreparedExpression& p, LineForm& form) const {
    const std::vector<NumericStep>& steps = p.numeric.steps;
    if (steps.size() != 2) return false;
    const NumericStep& read = steps[0];
    const NumericStep& compare = steps[1];
    if (read.op != Operator::Unknown || compare.left.source != NumericOperand::Source::Result ||
        ComparisonShape(compare.op, false) == Shape::None)
        return false;
    form.left = OperandAddress(p, read.left);
    form.right = OperandAddress(p, compare.right);
    form.leftPosition = OperandPosition(read.left);
    form.rightPosition = OperandPosition(compare.right);
    form.target = const_cast<MacroValue*>(read.elements);
    form.lastIndex = read.lastIndex;
    form.targetPosition = read.localPosition;
    form.op = compare.op;
    return form.left != nullptr && form.right != nullptr && form.target != nullptr;
}

// NEXT of the FOR line it was matched with, when that loop is plain.
Shape cMoMacro_Engine::NextForm(const LineCode& code, LineForm& form) const {
    const MacroLine& opener = lines_[static_cast<size_t>(code.jump)];
    const LineCode& loop = opener.Code;
    if (opener.Kind != StatementKind::For || !loop.ready || !loop.plainTarget) return Shape::None;
    if (!BoundHere(loop)) return Shape::Unknown;
    form.target = loop.targetAddress;
    form.left = loop.stepAddress;
    form.right = loop.endAddress;
    form.targetPosition = loop.targetPosition;
    form.leftPosition = loop.stepPosition;
    form.rightPosition = loop.endPosition;
    form.opener = code.jump;
    form.jump = code.jump + 1;
    // A constant step never changes: its direction is decided here once.
    const PreparedExpression& step = *loop.prepared[2];
    if (step.steps[0].kind != ExpressionStep::Kind::PushConstant || form.left->Kind() != ValueKind::Double)
        return Shape::Next;
    form.step = form.left->DoubleValue();
    return form.step > 0 ? Shape::NextUp : Shape::NextDown;
}

// Called after the block runner's plain path ran the line, so its code is compiled and whatever it read is
// bound to the current stores. A form that cannot be built yet stays unknown and is tried again.
void cMoMacro_Engine::BuildLineForm(int32_t index, uint64_t key) {
    const StatementKind kind = lines_[static_cast<size_t>(index)].Kind;
    LineCode& code = Code(index);
    LineForm& form = code.form;
    form.targetPosition = form.leftPosition = form.rightPosition = -1;
    Shape shape = Shape::None;
    switch (kind) {
    case StatementKind::Let:
        shape = AssignForm(code, form);
        break;
    case StatementKind::If:
    case StatementKind::While:
        shape = ConditionForm(code, form, kind == StatementKind::While);
        break;
    case StatementKind::Next:
        shape = NextForm(code, form);
        break;
    case StatementKind::Else:
        shape = Shape::Else;
        break;
    case StatementKind::EndIf:
        shape = Shape::EndIf;
        break;
    case StatementKind::Wend:
        form.jump = code.jump;
        shape = Shape::Wend;
        break;
    default:
        break;
    }
    // A form that is not built keeps no block run, so the block runner's test of it rejects the form at once.
    form.shape = shape;
    const bool built = shape != Shape::Unknown && shape != Shape::None;
    form.key = built ? key : 0;
    form.global = global_->Id();
    form.localShape = local_->Shape();
}
