// The block runner: the loop over a block's lines with its yield, and the common cases of the hottest
// statements, which it runs in place before handing a statement to its general executor.
#include "engine.h"

#include <cmath>

// The shortcuts of the run loop are compiled into it, except under AddressSanitizer: its frames are several
// times larger there, and the run loop's frame is kept at every level of a macro's recursion.
#if defined(__SANITIZE_ADDRESS__)
#define QM_RUN_LOOP_PART [[gnu::noinline]]
#else
#define QM_RUN_LOOP_PART [[gnu::always_inline]] inline
#endif

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
