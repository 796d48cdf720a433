// The run loop: Run, RunFunction and the general executors of the compiled statements (DIM, assignment,
// call, FOR/NEXT, IF/ELSE/END IF, WHILE/WEND, EXIT, END).
#include "engine.h"

#include "value_ops.h"

#include <cmath>
#include <new>

namespace {

bool IsForValue(const MacroValue& v) {
    return v.IsNumeric() || v.IsEmpty() || v.IsNull();
}

} // namespace

void cMoMacro_Engine::ResetRunState() {
    stopRequested_ = false;
    endRequested_ = false;
    global_ = std::make_unique<cMoMacro_Variable>(elementBudget_);
    local_ = std::make_unique<cMoMacro_Variable>(elementBudget_);
    callDepth_ = 0;
    yieldCountdown_ = 1; // every run yields before its first statement
    if (debug_) ResetDebugRun();
}

// A failed allocation anywhere in a step ends the parse or run with the out-of-memory failure at the line
// being worked on, instead of ending the program. What the step had made is let go on the way out.
void cMoMacro_Engine::ReportAllocationFailure() {
    error_.ReportFailure(4, kFailOutOfMemory);
}

int32_t cMoMacro_Engine::Run() {
    if (error_.ErrorCode() != 0) return error_.ErrorCode();
    ResetRunState();
    noUndefinedRequest_ = true;
    try {
        RunBlock(0);
    } catch (const std::bad_alloc&) {
        ReportAllocationFailure();
    }
    return error_.ErrorCode();
}

int32_t cMoMacro_Engine::RunFunction(const std::u16string& name) {
    if (error_.ErrorCode() != 0) return error_.ErrorCode();
    int32_t f = FindUserFunction(name);
    if (f < 0) {
        error_.Report(5, u"定義されていない関数が呼び出されました。- " + name);
        return 5;
    }
    if (functions_[static_cast<size_t>(f)].Parameters->Count() > 0) {
        error_.Report(7, u"引数のある関数を直接呼び出すことはできません。- " + name);
        return 7;
    }
    ResetRunState();
    try {
        RunBlock(functions_[static_cast<size_t>(f)].LineIndex + 1);
    } catch (const std::bad_alloc&) {
        ReportAllocationFailure();
    }
    return error_.ErrorCode();
}

[[gnu::noinline]] bool cMoMacro_Engine::ExecuteDim(int32_t& index) {
    const MacroLine& line = lines_[static_cast<size_t>(index)];
    cMoMacro_Variable& store = line.FunctionIndex == -1 ? *global_ : *local_;
    for (int32_t k = 1; k < line.Statement->Count(); ++k) {
        NameSlot* slot = nullptr;
        int32_t dimension = -1;
        if (!EvaluateTarget(*line.Statement->ItemToken(k), slot, dimension)) return false;
        store.CreateVariable(slot->name, dimension, error_);
        if (error_.ErrorCode() != 0) return false;
    }
    ++index;
    return true;
}

[[gnu::noinline]] bool cMoMacro_Engine::ExecuteLet(int32_t& index) {
    const LineCode& code = Code(index);
    NameSlot& name = *code.target.slot;
    int32_t element = -1;
    if (!EvaluateSubscript(code.target, element)) return false;
    MacroValue value = ComputePrepared(*code.prepared[0], element < 0 ? &name : nullptr);
    if (error_.ErrorCode() != 0) return false;
    // A scalar target is looked up after the expression ran (which may have created variables).
    if (element < 0) {
        if (MacroValue* scalar = MutableScalar(name)) {
            *scalar = std::move(value);
            ++index;
            return true;
        }
    }
    SetVariableValue(name, element, std::move(value));
    if (error_.ErrorCode() != 0) return false;
    ++index;
    return true;
}

[[gnu::noinline]] bool cMoMacro_Engine::ExecuteCall(int32_t& index) {
    const cMoMacro_Token& statement = *lines_[static_cast<size_t>(index)].Statement;
    CallFunction(statement.Item(1).StringValue(), statement.ItemToken(2).get());
    ++index;
    return error_.ErrorCode() == 0;
}

[[gnu::noinline]] bool cMoMacro_Engine::ExecuteFor(int32_t& index, BlockStack& stack) {
    const LineCode& code = Code(index);
    int32_t element = -1;
    if (!EvaluateSubscript(code.target, element)) return false;
    MacroValue start = ComputePrepared(*code.prepared[0]);
    if (error_.ErrorCode() != 0) return false;
    SetVariableValue(*code.target.slot, element, std::move(start));
    if (error_.ErrorCode() != 0) return false;
    stack.Push({StatementKind::For, index, code.jump});
    TestFor(index, stack);
    if (error_.ErrorCode() != 0) return false;
    ++index;
    return true;
}

// Ends the loop on top of the block stack when its variable has passed the end value. current is the
// variable's value when the caller has just written it (a variable without subscript), or nullptr to read it.
void cMoMacro_Engine::TestFor(int32_t& index, BlockStack& stack, const MacroValue* current) {
    if (!stack.TopIs(StatementKind::For)) return error_.Report(3, u"Nextに対応するFORがありません");
    const BlockRecord record = stack.Top();
    const LineCode& loop = Code(record.openLine);
    MacroValue read;
    if (current == nullptr) {
        int32_t element = -1;
        if (!EvaluateSubscript(loop.target, element)) return;
        read = GetVariableValue(*loop.target.slot, element);
        if (error_.ErrorCode() != 0) return;
        current = &read;
    }
    MacroValue end = ComputePrepared(*loop.prepared[1]);
    if (error_.ErrorCode() != 0) return;
    MacroValue step = ComputePrepared(*loop.prepared[2]);
    if (error_.ErrorCode() != 0) return;
    if (!IsForValue(*current) || !IsForValue(end) || !IsForValue(step))
        return error_.Report(2, u"データ型があいません");
    bool upward =
        step.Kind() == ValueKind::Double ? step.DoubleValue() > 0 : CompareValues(step, MacroValue()) > 0;
    bool finished = upward ? CompareValues(*current, end) > 0 : CompareValues(*current, end) < 0;
    if (!finished) return;
    stack.Pop();
    index = record.closeLine;
}

[[gnu::noinline]] bool cMoMacro_Engine::ExecuteNext(int32_t& index, BlockStack& stack) {
    if (!stack.TopIs(StatementKind::For)) {
        error_.Report(3, u"Nextに対応するFORがありません");
        return false;
    }
    const LineCode& loop = Code(stack.Top().openLine);
    NameSlot& name = *loop.target.slot;
    int32_t element = -1;
    if (!EvaluateSubscript(loop.target, element)) return false;
    MacroValue current = GetVariableValue(name, element);
    if (error_.ErrorCode() != 0) return false;
    MacroValue step = ComputePrepared(*loop.prepared[2]);
    if (error_.ErrorCode() != 0) return false;
    MacroValue sum;
    if (current.Kind() == ValueKind::Double && step.Kind() == ValueKind::Double &&
        std::isfinite(current.DoubleValue() + step.DoubleValue())) {
        sum.SetDouble(current.DoubleValue() + step.DoubleValue());
    } else if (int failure = AddValues(current, step, sum)) {
        error_.ReportFailure(4, failure);
        return false;
    }
    // A variable without subscript holds the sum just written: the test reads it from here. An element is
    // read again, subscript and all, as the loop's test has always done.
    const bool scalar = loop.target.subscript == nullptr;
    if (scalar) current = sum;
    SetVariableValue(name, element, std::move(sum));
    if (error_.ErrorCode() != 0) return false;
    index = Code(index).jump;
    TestFor(index, stack, scalar ? &current : nullptr);
    if (error_.ErrorCode() != 0) return false;
    ++index;
    return true;
}

// Evaluates the condition of IF or WHILE; a string condition is a type error.
bool cMoMacro_Engine::ConditionHolds(PreparedExpression& condition, bool& holds) {
    MacroValue value = ComputePrepared(condition);
    if (error_.ErrorCode() != 0) return false;
    if (ValueTruth(value, holds) == 0) return true;
    error_.Report(2, u"データ型が合いません");
    return false;
}

[[gnu::noinline]] bool cMoMacro_Engine::ExecuteIf(int32_t& index, BlockStack& stack) {
    const LineCode& code = Code(index);
    bool holds = false;
    if (!ConditionHolds(*code.prepared[0], holds)) return false;
    EnterIf(holds, index, code.jump, code.jumpIfFalse, stack);
    return true;
}

[[gnu::noinline]] bool cMoMacro_Engine::ExecuteElse(int32_t& index, BlockStack& stack) {
    if (stack.Empty()) {
        error_.Report(3, u"END IF に対応する IF がありません");
        return false;
    }
    if (!stack.TopIs(StatementKind::If)) {
        error_.Report(3, u"ENDIFに対応するIFがありません");
        return false;
    }
    return LeaveBlock(StatementKind::Else, 0, index, stack);
}

[[gnu::noinline]] bool cMoMacro_Engine::ExecuteEndIf(int32_t& index, BlockStack& stack) {
    if (stack.Empty()) {
        error_.Report(3, u"END IF に対応する IF がありません");
        return false;
    }
    if (!stack.TopIs(StatementKind::If)) {
        error_.Report(3, u"END IFに対応する IF がありません");
        return false;
    }
    return LeaveBlock(StatementKind::EndIf, 0, index, stack);
}

[[gnu::noinline]] bool cMoMacro_Engine::ExecuteWhile(int32_t& index, BlockStack& stack) {
    const LineCode& code = Code(index);
    bool holds = false;
    if (!ConditionHolds(*code.prepared[0], holds)) return false;
    EnterWhile(holds, index, code.jump, stack);
    return true;
}

[[gnu::noinline]] bool cMoMacro_Engine::ExecuteWend(int32_t& index, BlockStack& stack) {
    if (!stack.TopIs(StatementKind::While)) {
        error_.Report(3, u"Wendに対応するWhileがありません");
        return false;
    }
    return LeaveBlock(StatementKind::Wend, Code(index).jump, index, stack);
}

[[gnu::noinline]] bool cMoMacro_Engine::ExitBlock(int32_t& index, BlockStack& stack, StatementKind kind) {
    if (kind == StatementKind::ExitSub || kind == StatementKind::ExitFunction) return false;
    StatementKind opener = kind == StatementKind::ExitFor     ? StatementKind::For
                           : kind == StatementKind::ExitWhile ? StatementKind::While
                                                              : StatementKind::If;
    std::u16string_view block = opener == StatementKind::For     ? u"FOR"
                                : opener == StatementKind::While ? u"WHILE"
                                                                 : u"IF";
    while (!stack.Empty()) {
        BlockRecord top = stack.Top();
        stack.Pop();
        if (top.kind == opener) {
            index = top.closeLine + 1;
            return true;
        }
    }
    error_.Report(3,
                  u"EXIT " + std::u16string(block) + u"に対応する" + std::u16string(block) + u"がありません");
    return false;
}
