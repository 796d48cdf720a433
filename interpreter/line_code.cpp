// Compilation of a line's run-time form: the items of its compiled statement that the run loop reads at
// every execution (target, expressions, the links block matching added) are looked up once.
#include "engine.h"

#include "line_code.h"

NameSlot& TargetSlot(const cMoMacro_Token& target) {
    TokenCache& cache = target.Cache();
    if (!cache.target) {
        const std::u16string& name = target.Item(0).StringValue();
        cache.target = std::make_unique<NameSlot>(NameSlot{name, UpperCase(name)});
    }
    return *cache.target;
}

namespace {

// A line index that block matching appended to a statement (0 when the statement has no such item).
int32_t LinkAt(const cMoMacro_Token& statement, int32_t position) {
    if (position < 0 || position >= statement.Count()) return 0;
    return static_cast<int32_t>(statement.Item(position).AsDouble());
}

} // namespace

// The same target, end and step in a new local store of the bound shape: the local ones at the positions they
// were found at. False when an array is not found there.
bool cMoMacro_Engine::RelocateLineCode(LineCode& code) {
    if (code.targetPosition >= 0) {
        if (code.subscript == nullptr) {
            code.targetAddress = &local_->KnownScalar(code.targetPosition);
        } else {
            const MacroValue* first = nullptr;
            if (!local_->ArrayAt(code.targetPosition, first, code.lastIndex)) return false;
            code.targetAddress = const_cast<MacroValue*>(first);
        }
    }
    if (code.endPosition >= 0) code.endAddress = &local_->KnownScalar(code.endPosition);
    if (code.stepPosition >= 0) code.stepAddress = &local_->KnownScalar(code.stepPosition);
    return true;
}

// Finds the addresses of a line's target and, for FOR, of its end and step, in the current stores.
bool cMoMacro_Engine::BindLineCode(LineCode& code) {
    if (code.boundLocal != 0 && code.boundGlobal == global_->Id() && code.boundShape == local_->Shape() &&
        RelocateLineCode(code)) {
        code.boundLocal = local_->Id();
        return true;
    }
    code.boundLocal = code.boundGlobal = 0;
    NameSlot& slot = *code.target.slot;
    code.targetPosition = LocalPosition(slot);
    if (code.subscript != nullptr) {
        // The array an element assignment writes: the local store's name first, as the general path does.
        const cMoMacro_Variable* store = code.targetPosition >= 0 ? local_.get() : global_.get();
        const int32_t position = code.targetPosition >= 0 ? code.targetPosition : GlobalPosition(slot);
        const MacroValue* first = nullptr;
        if (!store->ArrayAt(position, first, code.lastIndex)) return false;
        code.targetAddress = const_cast<MacroValue*>(first);
    } else {
        code.targetAddress = MutableScalar(slot);
        if (code.targetAddress == nullptr) return false;
    }
    if (code.prepared[1] != nullptr) { // FOR
        code.endAddress = PlainOperand(*code.prepared[1]);
        code.stepAddress = PlainOperand(*code.prepared[2]);
        if (code.endAddress == nullptr || code.stepAddress == nullptr) return false;
        code.endPosition = OperandLocalPosition(*code.prepared[1]);
        code.stepPosition = OperandLocalPosition(*code.prepared[2]);
    }
    code.boundLocal = local_->Id();
    code.boundGlobal = global_->Id();
    code.boundShape = local_->Shape();
    return true;
}

void cMoMacro_Engine::CompileLineCode(MacroLine& line) {
    LineCode& code = line.Code;
    const cMoMacro_Token& statement = *line.Statement;
    const int32_t last = statement.Count() - 1;
    auto expression = [&](int k, int32_t item) { code.prepared[k] = &Prepared(*statement.ItemToken(item)); };
    auto target = [&](int32_t item) {
        const cMoMacro_Token& list = *statement.ItemToken(item);
        code.target.slot = &TargetSlot(list);
        code.target.subscript = list.Count() >= 2 ? list.ItemToken(1).get() : nullptr;
    };
    switch (line.Kind) {
    case StatementKind::Let: // [LET, target, value]
        target(1);
        expression(0, 2);
        if (code.target.subscript != nullptr) code.subscript = &Prepared(*code.target.subscript);
        code.plainTarget = true;
        break;
    case StatementKind::For: // [FOR, target, start, end, step, NEXT line]
        target(1);
        expression(0, 2);
        expression(1, 3);
        expression(2, 4);
        code.jump = LinkAt(statement, last);
        code.plainTarget = code.target.subscript == nullptr && IsLoneOperand(*code.prepared[1]) &&
                           IsLoneOperand(*code.prepared[2]);
        break;
    case StatementKind::If: // [IF, condition, ELSE lines..., END IF line]
        expression(0, 1);
        code.jump = LinkAt(statement, last);
        code.jumpIfFalse = statement.Count() == 3 ? code.jump : LinkAt(statement, 2) + 1;
        break;
    case StatementKind::While: // [WHILE, condition, WEND line]
        expression(0, 1);
        code.jump = LinkAt(statement, last);
        break;
    case StatementKind::Next: // [NEXT, FOR line]
    case StatementKind::Wend: // [WEND, WHILE line]
        code.jump = LinkAt(statement, 1);
        break;
    default:
        break;
    }
    code.ready = true;
}
