// The run loop: Run, RunFunction, the block runner with its per-block stack, and the executors of the
// compiled statements (DIM, assignment, call, FOR/NEXT, IF/ELSE/END IF, WHILE/WEND, EXIT, END).
#include "engine.h"

#include "value_ops.h"

#include <cmath>

// The shortcuts of the run loop are compiled into it, except under AddressSanitizer: its frames are several
// times larger there, and the run loop's frame is kept at every level of a macro's recursion.
#if defined(__SANITIZE_ADDRESS__)
#define QM_RUN_LOOP_PART [[gnu::noinline]]
#else
#define QM_RUN_LOOP_PART [[gnu::always_inline]] inline
#endif

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
}

int32_t cMoMacro_Engine::Run() {
    if (error_.ErrorCode() != 0) return error_.ErrorCode();
    ResetRunState();
    noUndefinedRequest_ = true;
    RunBlock(0);
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
    RunBlock(functions_[static_cast<size_t>(f)].LineIndex + 1);
    return error_.ErrorCode();
}

// A numeric program of one operator runs here, inline in the run loop; every other through RunNumeric.
[[gnu::always_inline]] inline bool cMoMacro_Engine::RunNumericInPlace(PreparedExpression& prepared,
                                                                      PlainNumber& out) {
    NumericProgram& program = prepared.numeric;
    if (program.usable && program.singleOperator && NumericProgramBound(prepared) &&
        RunBoundSingleOperator(program, out)) [[likely]] {
        program.misses = 0;
        return true;
    }
    return RunNumeric(prepared, out);
}

// The same for a lone constant or variable, the usual subscript and value of an element assignment.
[[gnu::always_inline]] inline bool cMoMacro_Engine::RunOperandInPlace(PreparedExpression& prepared,
                                                                      PlainNumber& out) {
    NumericProgram& program = prepared.numeric;
    if (program.usable && program.steps.empty() && NumericProgramBound(prepared) &&
        ReadDirectOperand(program.result, out)) [[likely]] {
        program.misses = 0;
        return true;
    }
    return RunNumericInPlace(prepared, out);
}

// A plain number assigned to an element of a bound array, the subscript evaluated first as the general path
// does; false, with nothing done, when either is not a plain number or the element does not exist.
[[gnu::always_inline]] inline bool cMoMacro_Engine::AssignElementInPlace(LineCode& code, int32_t& index) {
    PlainNumber subscript, number;
    int32_t element = -1;
    if (!RunOperandInPlace(*code.subscript, subscript) || subscript.kind == ValueKind::Boolean ||
        !PlainToInt32(subscript.value, element) || element < 0 || element > code.lastIndex)
        return false;
    if (!RunOperandInPlace(*code.prepared[0], number)) return false;
    number.WriteTo(code.targetAddress[element]);
    ++index;
    return true;
}

// The common cases of the hottest statements, run in place without the general executors: a plain number
// assigned to a variable or an element, the NEXT of a plain loop, IF and WHILE on a plain number, and the
// ends of their blocks. False, with nothing done, when the statement needs its general executor (which also
// reports every error).
QM_RUN_LOOP_PART bool cMoMacro_Engine::RunPlainStatement(MacroLine& line, int32_t& index, BlockStack& stack) {
    PlainNumber number;
    switch (line.Kind) {
    case StatementKind::Let: {
        LineCode& code = Code(index);
        if (!code.plainTarget || !LineCodeBound(code)) return false;
        if (code.subscript != nullptr) return AssignElementInPlace(code, index);
        if (!RunNumericInPlace(*code.prepared[0], number)) return false;
        number.WriteTo(*code.targetAddress);
        ++index;
        return true;
    }
    case StatementKind::Next:
        return NextOfPlainLoop(index, stack);
    case StatementKind::If: {
        LineCode& code = Code(index);
        if (!RunNumericInPlace(*code.prepared[0], number)) return false;
        // A false condition continues after the first ELSE, or at the END IF.
        stack.Push({StatementKind::If, index, code.jump});
        index = number.value != 0 ? index + 1 : code.jumpIfFalse;
        return true;
    }
    case StatementKind::While: {
        LineCode& code = Code(index);
        if (!RunNumericInPlace(*code.prepared[0], number)) return false;
        if (number.value == 0) {
            index = code.jump + 1;
            return true;
        }
        stack.Push({StatementKind::While, index, code.jump});
        ++index;
        return true;
    }
    // The block ends when the IF they close is on top; every other case is the executors' error.
    case StatementKind::Else:
        if (!stack.TopIs(StatementKind::If)) return false;
        index = stack.Top().closeLine;
        return true;
    case StatementKind::EndIf:
        if (!stack.TopIs(StatementKind::If)) return false;
        index = stack.Top().closeLine + 1;
        stack.Pop();
        return true;
    case StatementKind::Wend:
        if (!stack.TopIs(StatementKind::While)) return false;
        stack.Pop();
        index = Code(index).jump;
        return true;
    default:
        return false;
    }
}

// The general executors take the line index by reference; they are given a copy, so that the run loop's own
// index, whose address is then never taken, can stay in a register.
[[gnu::always_inline]] inline bool cMoMacro_Engine::ExecuteOutOfLine(StatementKind kind, int32_t& index,
                                                                     BlockStack& stack) {
    int32_t next = index;
    const bool proceed = ExecuteStatement(kind, next, stack);
    index = next;
    return proceed;
}

bool cMoMacro_Engine::RunBlock(int32_t start) {
    int32_t index = start;
    bool proceed = true;
    BlockStack stack(blockRecords_);
    // Only a yield or a statement of the general executors (which may call functions) can end or stop the
    // run; the plain statements cannot, so the flags are tested after those alone.
    bool halted = endRequested_ || stopRequested_;
    // The end is compared as an iterator: the line count itself would take a division by the line's size.
    // The plain statements report no errors, so the error line is set only before a yield (whose host may
    // show it) and before a general executor.
    while (!halted && lines_.begin() + index < lines_.end()) {
        MacroLine& line = lines_[static_cast<size_t>(index)];
        if (--yieldCountdown_ <= 0) [[unlikely]] {
            error_.SetErrorLine(line.LineNumber);
            YieldNow();
            if (stopRequested_) { // the statement still runs, as it always has, and then the run ends
                proceed = ExecuteOutOfLine(line.Kind, index, stack);
                break;
            }
        }
        if (RunPlainStatement(line, index, stack)) continue;
        error_.SetErrorLine(line.LineNumber);
        proceed = ExecuteOutOfLine(line.Kind, index, stack);
        halted = !proceed || endRequested_ || stopRequested_;
    }
    if (stopRequested_) {
        error_.SetErrorInformation(u"");
        error_.SetErrorCode(100);
    }
    return proceed;
}

[[gnu::noinline]] void cMoMacro_Engine::YieldNow() {
    yieldCountdown_ = statementsPerYield_;
    if (!syncRun_ && yield_) yield_();
}

// The executors stay out of line: a call from an expression runs through one of them, so what they keep on
// the process stack is kept at every level of a macro's recursion only by the one that is running, not by
// every run loop above it.
bool cMoMacro_Engine::ExecuteStatement(StatementKind kind, int32_t& index, BlockStack& stack) {
    switch (kind) {
    case StatementKind::Empty:
        ++index;
        return true;
    case StatementKind::Dim:
        return ExecuteDim(index);
    case StatementKind::Let:
        return ExecuteLet(index);
    case StatementKind::Call:
        return ExecuteCall(index);
    case StatementKind::For:
        return ExecuteFor(index, stack);
    case StatementKind::Next:
        return ExecuteNext(index, stack);
    case StatementKind::If:
        return ExecuteIf(index, stack);
    case StatementKind::Else:
        return ExecuteElse(index, stack);
    case StatementKind::EndIf:
        return ExecuteEndIf(index, stack);
    case StatementKind::While:
        return ExecuteWhile(index, stack);
    case StatementKind::Wend:
        return ExecuteWend(index, stack);
    case StatementKind::Function:
    case StatementKind::Sub:
    case StatementKind::EndFunction:
    case StatementKind::EndSub:
        return false;
    case StatementKind::ExitFor:
    case StatementKind::ExitWhile:
    case StatementKind::ExitIf:
    case StatementKind::ExitSub:
    case StatementKind::ExitFunction:
        return ExitBlock(index, stack, kind);
    case StatementKind::End:
        endRequested_ = true;
        return false;
    }
    return false;
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

// NEXT of the common loop: a variable without subscript holding a double, and a step and an end that are
// each a constant or a variable holding a double. Reading these has no effect and cannot fail, so the loop
// variable is read, stepped, written and tested in place. False, with nothing done, for every other loop.
[[gnu::always_inline]] inline bool cMoMacro_Engine::NextOfPlainLoop(int32_t& index, BlockStack& stack) {
    if (!stack.TopIs(StatementKind::For)) return false;
    const BlockRecord& top = stack.Top();
    LineCode& loop = lines_[static_cast<size_t>(top.openLine)].Code;
    if (!loop.plainTarget || !LineCodeBound(loop)) return false;
    MacroValue* variable = loop.targetAddress;
    const MacroValue* step = loop.stepAddress;
    const MacroValue* end = loop.endAddress;
    // The end may be the loop variable itself, which holds a double once it is written.
    if (variable->Kind() != ValueKind::Double || step->Kind() != ValueKind::Double ||
        (end->Kind() != ValueKind::Double && end != variable))
        return false;
    double sum = variable->DoubleValue() + step->DoubleValue();
    if (!std::isfinite(sum)) return false;
    variable->SetDouble(sum);
    // The step and end are read again for the test, as the general path does (either may be the loop
    // variable itself).
    bool finished = step->DoubleValue() > 0 ? sum > end->DoubleValue() : sum < end->DoubleValue();
    if (finished) {
        index = top.closeLine + 1;
        stack.Pop();
    } else {
        index = Code(index).jump + 1;
    }
    return true;
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
    // A false condition continues after the first ELSE, or at the END IF.
    stack.Push({StatementKind::If, index, code.jump});
    index = holds ? index + 1 : code.jumpIfFalse;
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
    index = stack.Top().closeLine;
    return true;
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
    index = stack.Top().closeLine + 1;
    stack.Pop();
    return true;
}

[[gnu::noinline]] bool cMoMacro_Engine::ExecuteWhile(int32_t& index, BlockStack& stack) {
    const LineCode& code = Code(index);
    bool holds = false;
    if (!ConditionHolds(*code.prepared[0], holds)) return false;
    if (!holds) {
        index = code.jump + 1;
        return true;
    }
    stack.Push({StatementKind::While, index, code.jump});
    ++index;
    return true;
}

[[gnu::noinline]] bool cMoMacro_Engine::ExecuteWend(int32_t& index, BlockStack& stack) {
    if (!stack.TopIs(StatementKind::While)) {
        error_.Report(3, u"Wendに対応するWhileがありません");
        return false;
    }
    stack.Pop();
    index = Code(index).jump;
    return true;
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
