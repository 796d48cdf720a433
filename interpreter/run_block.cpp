// The block runner: the loop over a block's lines with its yield, the compact forms of lines, and the plain
// cases of the hottest statements, all run in place before a statement is handed to its general executor.
#include "engine.h"

#include <cmath>

// The shortcuts of the run loop are compiled into it, except under AddressSanitizer: its frames are several
// times larger there, and the run loop's frame is kept at every level of a macro's recursion.
#if defined(__SANITIZE_ADDRESS__)
#define QM_RUN_LOOP_PART [[gnu::noinline]]
#else
#define QM_RUN_LOOP_PART [[gnu::always_inline]] inline
#endif

namespace {

using Shape = LineForm::Shape;

// The lines a block run ends at: the definitions and the ends of functions and subs.
bool EndsBlockRun(StatementKind kind) {
    return kind == StatementKind::Function || kind == StatementKind::Sub ||
           kind == StatementKind::EndFunction || kind == StatementKind::EndSub;
}

// The arithmetic of the assignment shapes on two doubles; false where the general arithmetic must decide
// (a division by zero, a result that is not finite), as for numeric programs.
template <Shape shape> [[gnu::always_inline]] inline bool Arithmetic(double x, double y, double& r) {
    if constexpr (shape == Shape::AssignAdd) r = x + y;
    if constexpr (shape == Shape::AssignSubtract) r = x - y;
    if constexpr (shape == Shape::AssignMultiply) r = x * y;
    if constexpr (shape == Shape::AssignDivide) {
        if (y == 0) return false;
        r = x / y;
    }
    return std::isfinite(r);
}

template <Shape shape> [[gnu::always_inline]] inline bool AssignArithmetic(LineForm& form) {
    const MacroValue& left = *form.left;
    const MacroValue& right = *form.right;
    double r = 0;
    if (left.Kind() != ValueKind::Double || right.Kind() != ValueKind::Double ||
        !Arithmetic<shape>(left.DoubleValue(), right.DoubleValue(), r))
        return false;
    form.target->SetDouble(r);
    return true;
}

// The comparison of an IF or WHILE shape, with the same result as the plain operators give.
template <Operator op> [[gnu::always_inline]] inline bool Compare(const LineForm& form, bool& holds) {
    const MacroValue& left = *form.left;
    const MacroValue& right = *form.right;
    if (left.Kind() != ValueKind::Double || right.Kind() != ValueKind::Double) return false;
    const double x = left.DoubleValue(), y = right.DoubleValue();
    holds = CompareResult(op, x < y ? -1 : x > y ? 1 : 0);
    return true;
}

// IF on a comparison: a false condition continues after the first ELSE, or at the END IF.
template <Operator op>
[[gnu::always_inline]] inline bool RunIfForm(const LineForm& form, int32_t& index, BlockStack& stack) {
    bool holds = false;
    if (!Compare<op>(form, holds)) return false;
    EnterIf(holds, index, form.jump, form.jumpIfFalse, stack);
    return true;
}

template <Operator op>
[[gnu::always_inline]] inline bool RunWhileForm(const LineForm& form, int32_t& index, BlockStack& stack) {
    bool holds = false;
    if (!Compare<op>(form, holds)) return false;
    EnterWhile(holds, index, form.jump, stack);
    return true;
}

// The element a form's subscript names: a plain number other than a boolean that is a whole number within
// the array, as numeric programs read elements.
[[gnu::always_inline]] inline bool FormElement(const LineForm& form, int32_t& element) {
    PlainNumber subscript;
    return subscript.Read(*form.left) && subscript.kind != ValueKind::Boolean &&
           PlainToInt32(subscript.value, element) && element >= 0 && element <= form.lastIndex;
}

// The element assignment: a double given to the element the subscript names.
[[gnu::always_inline]] inline bool RunAssignElementForm(const LineForm& form) {
    const MacroValue& value = *form.right;
    int32_t element = -1;
    if (!FormElement(form, element) || value.Kind() != ValueKind::Double) return false;
    form.target[element].SetDouble(value.DoubleValue());
    return true;
}

// IF on an element compared with a constant or variable: both plain numbers of any kind, compared by value as
// the plain operators compare them.
[[gnu::always_inline]] inline bool RunIfElementForm(const LineForm& form, int32_t& index, BlockStack& stack) {
    PlainNumber value, other;
    int32_t element = -1;
    if (!FormElement(form, element) || !value.Read(form.target[element]) || !other.Read(*form.right))
        return false;
    const double x = value.value, y = other.value;
    EnterIf(CompareResult(form.op, x < y ? -1 : x > y ? 1 : 0), index, form.jump, form.jumpIfFalse, stack);
    return true;
}

// The NEXT of the plain loop on top of the block stack, as NextOfPlainLoop runs it: with the step read from
// its variable or constant (Shape::Next), or with a constant step of the direction the shape gives.
template <Shape shape>
[[gnu::always_inline]] inline bool RunNextForm(const LineForm& form, int32_t& index, BlockStack& stack) {
    if (!stack.TopIs(StatementKind::For)) return false;
    const BlockRecord& top = stack.Top();
    if (top.openLine != form.opener) return false;
    MacroValue* variable = form.target;
    const MacroValue* step = form.left;
    const MacroValue* end = form.right;
    constexpr bool readStep = shape == Shape::Next;
    if (variable->Kind() != ValueKind::Double || (readStep && step->Kind() != ValueKind::Double) ||
        (end->Kind() != ValueKind::Double && end != variable))
        return false;
    const double sum = variable->DoubleValue() + (readStep ? step->DoubleValue() : form.step);
    if (!std::isfinite(sum)) return false;
    variable->SetDouble(sum);
    // A step read from a variable is read again for the test, as the general path does (it may be the loop
    // variable itself).
    const bool upward = readStep ? step->DoubleValue() > 0 : shape == Shape::NextUp;
    const bool finished = upward ? sum > end->DoubleValue() : sum < end->DoubleValue();
    if (finished) {
        index = top.closeLine + 1;
        stack.Pop();
    } else {
        index = form.jump;
    }
    return true;
}

// ELSE, END IF and WEND whose block is on top of the block stack.
[[gnu::always_inline]] inline bool RunBlockEndForm(const LineForm& form, int32_t& index, BlockStack& stack) {
    switch (form.shape) {
    case Shape::Else:
        return LeaveBlock(StatementKind::Else, 0, index, stack);
    case Shape::EndIf:
        return LeaveBlock(StatementKind::EndIf, 0, index, stack);
    case Shape::Wend:
        return LeaveBlock(StatementKind::Wend, form.jump, index, stack);
    default:
        return false;
    }
}

} // namespace

// NEXT of the common loop before its NEXT has a form: a variable without subscript holding a double, and a
// step and an end that are each a constant or a variable holding a double, read through the FOR line's bound
// addresses as its form would read them. False, with nothing done, for every other loop.
[[gnu::always_inline]] inline bool cMoMacro_Engine::NextOfPlainLoop(int32_t& index, BlockStack& stack) {
    if (!stack.TopIs(StatementKind::For)) return false;
    const int32_t opener = stack.Top().openLine;
    LineCode& loop = lines_[static_cast<size_t>(opener)].Code;
    if (!loop.plainTarget || !LineCodeBound(loop)) return false;
    LineForm form;
    form.target = loop.targetAddress;
    form.left = loop.stepAddress;
    form.right = loop.endAddress;
    form.opener = opener;
    form.jump = Code(index).jump + 1;
    return RunNextForm<Shape::Next>(form, index, stack);
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
        // A value that is no numeric program (a call, a text) goes to the executor before anything is bound.
        if (!code.plainTarget || !code.prepared[0]->numeric.usable || !LineCodeBound(code)) return false;
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
        EnterIf(number.value != 0, index, code.jump, code.jumpIfFalse, stack);
        return true;
    }
    case StatementKind::While: {
        LineCode& code = Code(index);
        if (!RunNumericInPlace(*code.prepared[0], number)) return false;
        EnterWhile(number.value != 0, index, code.jump, stack);
        return true;
    }
    case StatementKind::Else:
        return LeaveBlock(StatementKind::Else, 0, index, stack);
    case StatementKind::EndIf:
        return LeaveBlock(StatementKind::EndIf, 0, index, stack);
    case StatementKind::Wend:
        return LeaveBlock(StatementKind::Wend, Code(index).jump, index, stack);
    default:
        return false;
    }
}

// The general executors take the line index by reference; they are given a copy, so that the run loop's own
// index, whose address is then never taken, can stay in a register. The same for the yield counter, which
// the blocks they may run count down in the engine.
[[gnu::always_inline]] inline bool cMoMacro_Engine::ExecuteOutOfLine(StatementKind kind, int32_t& index,
                                                                     BlockStack& stack, int32_t& countdown) {
    int32_t next = index;
    yieldCountdown_ = countdown;
    const bool proceed = ExecuteStatement(kind, next, stack);
    countdown = yieldCountdown_;
    index = next;
    return proceed;
}

// The forms that run a numeric program: an assignment, IF and WHILE as the plain path runs them.
[[gnu::always_inline]] inline bool cMoMacro_Engine::RunProgramForm(const LineForm& form, int32_t& index,
                                                                   BlockStack& stack) {
    PlainNumber number;
    if (!RunNumeric(*form.program, number)) return false;
    switch (form.shape) {
    case Shape::AssignProgram:
        number.WriteTo(*form.target);
        ++index;
        return true;
    case Shape::IfProgram:
        EnterIf(number.value != 0, index, form.jump, form.jumpIfFalse, stack);
        return true;
    default: // WhileProgram
        EnterWhile(number.value != 0, index, form.jump, stack);
        return true;
    }
}

// A built form whose block run has changed: moved to the variables of a local store of the shape it was built
// in, at the positions it found them at, when the global store is still the same. False when it cannot be
// (the block runner then runs the statement its general way and builds the form again).
// Only forms that hold addresses come here: the block runner runs the ends of blocks before it looks at the
// block run.
QM_RUN_LOOP_PART bool cMoMacro_Engine::RelocateLineForm(LineForm& form, uint64_t key) {
    if (form.global != global_->Id() || form.localShape != local_->Shape()) return false;
    if (form.targetPosition >= 0) {
        // A local array was declared by its own store, whose shape no other store is given: such a form is
        // never moved, only built again.
        if (form.shape == Shape::AssignElement || form.shape == Shape::IfElement) return false;
        form.target = &local_->KnownScalar(form.targetPosition);
    }
    if (form.leftPosition >= 0) form.left = &local_->KnownScalar(form.leftPosition);
    if (form.rightPosition >= 0) form.right = &local_->KnownScalar(form.rightPosition);
    form.key = key;
    return true;
}

// Runs a line's compact form. False, with nothing done, when the form does not apply now: it is not built,
// the stores are not those its addresses belong to, or a value is not what the form handles. The block
// runner's plain path or the general executor then runs the statement.
QM_RUN_LOOP_PART bool cMoMacro_Engine::RunLineForm(LineForm& form, int32_t& index, BlockStack& stack,
                                                   uint64_t key) {
    // The ends of blocks read no variables. Every other form holds addresses; one built in another block run
    // (Unknown and None have none) is moved to this run's variables first.
    if (form.shape >= Shape::Else) [[unlikely]]
        return RunBlockEndForm(form, index, stack);
    if (form.key != key) [[unlikely]] {
        if (form.shape <= Shape::None || !RelocateLineForm(form, key)) return false;
    }
    switch (form.shape) {
    case Shape::Assign:
        if (form.left->Kind() != ValueKind::Double) return false;
        form.target->SetDouble(form.left->DoubleValue());
        ++index;
        return true;
    case Shape::AssignAdd:
        return AssignArithmetic<Shape::AssignAdd>(form) && ++index;
    case Shape::AssignSubtract:
        return AssignArithmetic<Shape::AssignSubtract>(form) && ++index;
    case Shape::AssignMultiply:
        return AssignArithmetic<Shape::AssignMultiply>(form) && ++index;
    case Shape::AssignDivide:
        return AssignArithmetic<Shape::AssignDivide>(form) && ++index;
    case Shape::AssignElement:
        return RunAssignElementForm(form) && ++index;
    case Shape::AssignProgram:
    case Shape::IfProgram:
    case Shape::WhileProgram:
        return RunProgramForm(form, index, stack);
    case Shape::IfElement:
        return RunIfElementForm(form, index, stack);
    case Shape::Next:
        return RunNextForm<Shape::Next>(form, index, stack);
    case Shape::NextUp:
        return RunNextForm<Shape::NextUp>(form, index, stack);
    case Shape::NextDown:
        return RunNextForm<Shape::NextDown>(form, index, stack);
    case Shape::IfEqual:
        return RunIfForm<Operator::Equal>(form, index, stack);
    case Shape::IfLess:
        return RunIfForm<Operator::Less>(form, index, stack);
    case Shape::IfGreater:
        return RunIfForm<Operator::Greater>(form, index, stack);
    case Shape::IfLessEqual:
        return RunIfForm<Operator::LessEqual>(form, index, stack);
    case Shape::IfGreaterEqual:
        return RunIfForm<Operator::GreaterEqual>(form, index, stack);
    case Shape::IfNotEqual:
        return RunIfForm<Operator::NotEqual>(form, index, stack);
    case Shape::WhileEqual:
        return RunWhileForm<Operator::Equal>(form, index, stack);
    case Shape::WhileLess:
        return RunWhileForm<Operator::Less>(form, index, stack);
    case Shape::WhileGreater:
        return RunWhileForm<Operator::Greater>(form, index, stack);
    case Shape::WhileLessEqual:
        return RunWhileForm<Operator::LessEqual>(form, index, stack);
    case Shape::WhileGreaterEqual:
        return RunWhileForm<Operator::GreaterEqual>(form, index, stack);
    case Shape::WhileNotEqual:
        return RunWhileForm<Operator::NotEqual>(form, index, stack);
    default:
        return false;
    }
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
    // The compact forms hold addresses in the stores that were current when they were built, and the number
    // of the block run they were built in; only a yield or a general executor can change the stores, so
    // their identities are read again after those alone, and a change gives the run a new number.
    FormScope scope{local_->Id(), global_->Id(), ++lastFormKey_};
    // The yield counter is kept here while plain statements run and handed back to the engine around
    // everything that may run other blocks (a yield, a general executor).
    int32_t countdown = yieldCountdown_;
    while (!halted && lines_.begin() + index < lines_.end()) {
        MacroLine& line = lines_[static_cast<size_t>(index)];
        if (--countdown <= 0) [[unlikely]] {
            error_.SetErrorLine(line.LineNumber);
            YieldNow(line);
            countdown = yieldCountdown_;
            if (stopRequested_) { // the statement still runs, as it always has, and then the run ends
                // A run stopped while paused before the line ends without it.
                proceed = !StoppedWhilePaused() && ExecuteOutOfLine(line.Kind, index, stack, countdown);
                break;
            }
            FollowStores(scope);
        }
        LineForm& form = line.Code.form;
        if (RunLineForm(form, index, stack, scope.key)) continue;
        if (EndsBlockRun(line.Kind)) { // what the executor does for these, without the call
            error_.SetErrorLine(line.LineNumber);
            proceed = false;
            break;
        }
        const int32_t at = index;
        if (RunPlainStatement(line, index, stack)) {
            if (form.shape != Shape::None && form.key != scope.key) {
                if (form.seenGlobal == scope.global && form.seenShape == local_->Shape()) {
                    BuildLineForm(at, scope.key);
                } else {
                    form.seenGlobal = scope.global;
                    form.seenShape = local_->Shape();
                }
            }
            continue;
        }
        error_.SetErrorLine(line.LineNumber);
        proceed = ExecuteOutOfLine(line.Kind, index, stack, countdown);
        halted = !proceed || endRequested_ || stopRequested_;
        FollowStores(scope);
    }
    yieldCountdown_ = countdown;
    if (stopRequested_) {
        error_.SetErrorInformation(u"");
        error_.SetErrorCode(100);
    }
    return proceed;
}

// Out of line, so that the run loop keeps the identities in memory and only the number in a register.
[[gnu::noinline]] void cMoMacro_Engine::FollowStores(FormScope& scope) {
    if (local_->Id() == scope.local && global_->Id() == scope.global) return;
    scope.local = local_->Id();
    scope.global = global_->Id();
    scope.key = ++lastFormKey_;
}

[[gnu::noinline]] void cMoMacro_Engine::YieldNow(const MacroLine& line) {
    if (debug_) [[unlikely]]
        return DebugYield(line);
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
