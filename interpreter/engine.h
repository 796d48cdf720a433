// cMoMacro_Engine: the macro interpreter. Assigning MacroText parses the whole text into a line table of
// compiled statements; Run, RunFunction and ComputeLine execute it. Unknown names go to the host as requests.
#pragma once

#include "error.h"
#include "line_code.h"
#include "macro_value.h"
#include "plain_number.h"
#include "run_debugger.h"
#include "token.h"
#include "variable_store.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// The statement kinds of compiled statements, cached beside each line so the run loop need not compare texts.
enum class StatementKind : uint8_t {
    Empty,
    Dim,
    Let,
    Call,
    For,
    Next,
    If,
    Else,
    EndIf,
    While,
    Wend,
    Function,
    Sub,
    EndFunction,
    EndSub,
    ExitFor,
    ExitWhile,
    ExitIf,
    ExitSub,
    ExitFunction,
    End
};

struct MacroLine {
    int32_t FunctionIndex = -1;
    std::u16string Text;
    TokenRef Tokens;
    TokenRef Statement;
    int32_t LineNumber = 0;
    StatementKind Kind = StatementKind::Empty;
    LineCode Code; // filled in the first time the line runs
};

// An open FOR, IF or WHILE block while it runs: its kind, the line that opened it and the line that closes it
// (the NEXT, the END IF or the WEND).
struct BlockRecord {
    StatementKind kind = StatementKind::Empty;
    int32_t openLine = 0;
    int32_t closeLine = 0;
};

// The open blocks of one running block of lines. All block stacks of nested calls share one vector, each
// using the part above where it started, so running a block allocates nothing once the vector has grown.
class BlockStack {
  public:
    explicit BlockStack(std::vector<BlockRecord>& records) : records_(records) {}
    BlockStack(const BlockStack&) = delete;
    BlockStack& operator=(const BlockStack&) = delete;
    // The stacks of nested blocks have let go of their records by then, so this stack's are the last ones.
    ~BlockStack() {
        for (; depth_ != 0; --depth_) records_.pop_back();
    }
    // The stack counts its own records, which saves computing where its part of the vector begins.
    bool Empty() const { return depth_ == 0; }
    bool TopIs(StatementKind kind) const { return depth_ != 0 && records_.back().kind == kind; }
    const BlockRecord& Top() const { return records_.back(); }
    void Push(const BlockRecord& record) {
        records_.push_back(record);
        ++depth_;
    }
    void Pop() {
        records_.pop_back();
        --depth_;
    }

  private:
    std::vector<BlockRecord>& records_;
    size_t depth_ = 0;
};

// The steps of the block statements once their condition is known, shared by the executors, the run loop's
// plain path and the compact forms. IF opens its block and continues in it, or after the first ELSE (or at
// the END IF) when the condition is false; WHILE opens its block, or continues after its WEND.
[[gnu::always_inline]] inline void EnterIf(bool holds, int32_t& index, int32_t endIf, int32_t whenFalse,
                                           BlockStack& stack) {
    stack.Push({StatementKind::If, index, endIf});
    index = holds ? index + 1 : whenFalse;
}
[[gnu::always_inline]] inline void EnterWhile(bool holds, int32_t& index, int32_t wend, BlockStack& stack) {
    if (!holds) {
        index = wend + 1;
        return;
    }
    stack.Push({StatementKind::While, index, wend});
    ++index;
}
// ELSE, END IF and WEND (whileLine: the WEND's WHILE) when the block they close is on top; false, with
// nothing done, for every other case, which is the executors' error to report.
[[gnu::always_inline]] inline bool LeaveBlock(StatementKind kind, int32_t whileLine, int32_t& index,
                                              BlockStack& stack) {
    const StatementKind opener = kind == StatementKind::Wend ? StatementKind::While : StatementKind::If;
    if (!stack.TopIs(opener)) return false;
    switch (kind) {
    case StatementKind::Else:
        index = stack.Top().closeLine;
        return true;
    case StatementKind::EndIf:
        index = stack.Top().closeLine + 1;
        stack.Pop();
        return true;
    default: // Wend
        stack.Pop();
        index = whileLine;
        return true;
    }
}

struct UserFunction {
    std::u16string Name; // upper case
    int32_t Kind = 0;    // 1 FUNCTION, 0 SUB
    TokenRef Parameters;
    int32_t ParameterCount = 0; // of Parameters, which every call compares its argument count with
    int32_t LineIndex = 0;
    int32_t LineNumber =
        0; // 1-based line of the FUNCTION / SUB line, kept so it stays valid after a failed parse
    // What every call's store is started from when its result variable and parameters have distinct valid
    // names: those names, upper case, and one shape (0 otherwise: each call then creates them one by one,
    // reporting what is wrong).
    cMoMacro_Variable::Plan CallPlan;
};

class cMoMacro_Engine {
  public:
    // name, argument values (item type 3), result slot, error object.
    using ExternRequest =
        std::function<void(const std::u16string&, cMoMacro_Token&, MacroValue&, cMoMacro_Error&)>;
    // name, the argument values as the expression supplied them (nullptr when none), result slot, error
    // object.
    using UndefinedRequest =
        std::function<void(const std::u16string&, const cMoMacro_Token*, MacroValue&, cMoMacro_Error&)>;
    using YieldFunction = std::function<void()>;
    // The direct route to a host's own functions: the resolver gives an upper-case name's number in the
    // host's table (or -1 for a name it does not implement), asked once per name where it is used; the
    // dispatcher runs the function of a number with the argument values, the result slot and the error
    // object. Names the resolver does not know still go through the extern request.
    using ExternResolver = std::function<int32_t(const std::u16string& upper)>;
    using ExternDispatcher = std::function<void(int32_t number, const std::u16string& upper, cMoMacro_Token&,
                                                MacroValue&, cMoMacro_Error&)>;

    static constexpr int32_t kMaxCallDepth = 1000;
    // Array elements all live variable stores of a run may hold together (about 320 MB of values).
    static constexpr size_t kMaxLiveElements = size_t{8} << 20;
    static constexpr int32_t kMaxBracketDepth = 256; // deeper bracket nesting in one expression is refused

    cMoMacro_Engine();
    ~cMoMacro_Engine();
    cMoMacro_Engine(const cMoMacro_Engine&) = delete;
    cMoMacro_Engine& operator=(const cMoMacro_Engine&) = delete;

    // --- text, lexer and word table ---
    const std::u16string& MacroText() const { return macroText_; }
    void SetMacroText(const std::u16string& text);
    void Clear();
    void AddExternFunction(const std::u16string& name);
    bool IsKeyword(std::u16string_view text) const;
    static bool IsOperator(std::u16string_view text);
    static bool IsStringConst(std::u16string_view text);
    static bool IsConst(std::u16string_view text);
    static bool IsName(std::u16string_view text);
    MacroValue ValX(std::u16string_view text);
    MacroValue ValBin(std::u16string_view text);
    std::u16string DebugOut() const;

    int32_t LineCount() const { return static_cast<int32_t>(lines_.size()); }
    const MacroLine& Line(int32_t index) const { return lines_[static_cast<size_t>(index)]; }

    // --- program structure ---
    int32_t UserFunctionCount() const { return static_cast<int32_t>(functions_.size()); }
    std::u16string UserFunctionName(int32_t index) const;
    int32_t UserFunctionType(int32_t index) const;
    int32_t UserFunctionPosition(int32_t index) const;
    cMoMacro_Variable* GlobalVariable() const { return global_.get(); }

    // --- block structure for editors (block_links.cpp) ---
    // Parses the text as SetMacroText does. When that parse fails, the block structure is read again
    // leniently, so that an editor can still pair the block words of a text being typed: lines that do not
    // compile take no part, a closer with no open block of its kind is passed over, a closer whose block lies
    // under other open blocks closes it and leaves those unpaired, and blocks still open at a FUNCTION or SUB
    // line are dropped. The error object and the function table stay as the failed parse left them, so Run
    // and RunFunction refuse the text as always.
    void ReadBlockStructure(const std::u16string& text);
    // The source line numbers (1-based, counting blank lines) of the block words that block matching linked
    // with the one on line `lineNumber` (the opener, its ELSE lines, the closer), in text order and that line
    // included; empty when that line holds no linked block word.
    std::vector<int32_t> BlockLinesAt(int32_t lineNumber) const;

    // --- running ---
    int32_t Run();
    int32_t RunFunction(const std::u16string& name);
    void ForceStop() { stopRequested_ = true; }
    // True from ForceStop until the run loop has ended the run; built-ins that wait end their wait early.
    bool StopRequested() const { return stopRequested_; }
    bool SyncRun() const { return syncRun_; }
    void SetSyncRun(bool sync) { syncRun_ = sync; }
    MacroValue ComputeLine(const std::u16string& expression);
    bool NoUndefinedRequest() const { return noUndefinedRequest_; }

    // --- expressions ---
    MacroValue Compute(const cMoMacro_Token& expression) { return ComputePrepared(Prepared(expression)); }
    // appendTarget: the scalar an assignment will store the value in, which may let go of a text the
    // expression appends to.
    MacroValue ComputePrepared(PreparedExpression& prepared, NameSlot* appendTarget = nullptr);
    // All values left by the expression, or nullptr after an error.
    TokenRef Compute_Nocheck(const cMoMacro_Token& expression);

    cMoMacro_Error& Error() { return error_; }
    const cMoMacro_Error& Error() const { return error_; }

    void SetRequestExternFunction(ExternRequest handler) { requestExtern_ = std::move(handler); }
    void SetRequestUndefinedVariable(UndefinedRequest handler) { requestUndefined_ = std::move(handler); }
    void SetExternDispatch(ExternResolver resolver, ExternDispatcher dispatcher) {
        externResolver_ = std::move(resolver);
        externDispatcher_ = std::move(dispatcher);
        ++externGeneration_;
    }
    // Called while SyncRun is false before every statement, or before every statementsPerYield-th one (a host
    // whose yield only pumps events now and then says so here, so the common case is one counter test);
    // ForceStop may be called from inside it.
    void SetYield(YieldFunction yield, int32_t statementsPerYield = 1) {
        yield_ = std::move(yield);
        statementsPerYield_ = statementsPerYield > 1 ? statementsPerYield : 1;
        yieldCountdown_ = 1;
    }

    // --- debugging (run_debugger.cpp) ---
    // The host told of pauses; nullptr (the default) runs as if no debugger existed.
    void SetDebugHost(DebugHost* host);
    // Breakpoints on source lines (1-based): one on a line that cannot pause (blank, comment, FUNCTION, ELSE,
    // the END of a block) moves to the next line that can. They are placed again on the text of each run;
    // returns the lines they land on in the current text, in order and without repeats.
    std::vector<int32_t> SetBreakpoints(const std::vector<int32_t>& lines);
    // The run pauses before the next line that can pause (from the host's yield, for instance).
    void RequestPause();
    // The next run (from the top or of a function) pauses before its first line that can pause.
    void StartNextRunPaused();
    // True while the host's Paused runs.
    bool DebugPaused() const;
    // While paused: the calls, innermost first; the parameters and local variables of a call (the function's
    // result variable included); the global variables; elements of an array of a call (SIZE_MAX: a global
    // array) as PRINT shows them.
    std::vector<DebugFrame> DebugFrames() const;
    std::vector<DebugVariable> DebugLocals(size_t frame) const;
    std::vector<DebugVariable> DebugGlobals() const;
    std::vector<std::u16string> DebugElements(size_t frame, const std::u16string& name, int32_t first,
                                              int32_t count) const;
    // While paused: a line evaluated in the paused call, with its variables (its own, then the globals). A
    // line `name = expression` or `name(index) = expression` gives that variable of the run the value; any
    // other line is an expression whose value is answered. A user function the line calls runs to its end
    // without pausing. The run's own error and values being computed stay as they were.
    DebugEvaluation DebugEvaluate(const std::u16string& line);

  private:
    // lexer
    void AddWord(const std::u16string& word, int32_t type);
    int32_t FindWord(std::u16string_view text) const;
    // skipBadLines: a line with a character outside the code page is left out instead of ending the split.
    bool SplitIntoLines(const std::u16string& text, bool skipBadLines = false);
    bool ChargeLineBytes(size_t bytes, int32_t lineNumber);
    bool RoomForTokensOf(std::u16string_view line, int32_t lineNumber);
    void ReportAllocationFailure();
    TokenRef SplitLine(std::u16string_view line) const;
    void ClassifyTokens(cMoMacro_Token& list);

    // program structure
    void ParseMacroText(const std::u16string& text);
    void ParseLeniently(const std::u16string& text);
    // lenient: the rules of ReadBlockStructure instead of block-structure errors.
    void MatchBlocks(bool lenient = false);
    void CloseBlock(cMoMacro_Token& stack, std::u16string_view opener, std::u16string_view closer, int32_t i,
                    bool lenient = false);
    static bool UnwindTo(cMoMacro_Token& stack, std::u16string_view opener);
    void CheckOpenBlocks(const cMoMacro_Token& stack);
    void BuildFunctionTable();
    void PlanCallStore(UserFunction& f);

    // run loop
    // The line's run-time form, compiled the first time it is asked for.
    LineCode& Code(int32_t index) {
        MacroLine& line = lines_[static_cast<size_t>(index)];
        if (!line.Code.ready) [[unlikely]]
            CompileLineCode(line);
        return line.Code;
    }
    void CompileLineCode(MacroLine& line);
    // True when a line's plain target (and a FOR's end and step) have their addresses in the current stores,
    // finding them again if the stores changed; false when one is not a variable that can be read in place.
    bool LineCodeBound(LineCode& code) {
        if (code.boundLocal == local_->Id() && code.boundGlobal == global_->Id()) [[likely]]
            return true;
        return BindLineCode(code);
    }
    bool BindLineCode(LineCode& code);
    bool RelocateLineCode(LineCode& code);
    // The position of a lone operand's variable in the local store (-1: a constant or not local).
    int32_t OperandLocalPosition(PreparedExpression& p) {
        const ExpressionStep& step = p.steps[0];
        return step.kind == ExpressionStep::Kind::PushConstant
                   ? -1
                   : LocalPosition(p.names[static_cast<size_t>(step.index)]);
    }
    bool RunBlock(int32_t start);
    bool RunLineForm(LineForm& form, int32_t& index, BlockStack& stack, uint64_t key);
    bool RunProgramForm(const LineForm& form, int32_t& index, BlockStack& stack);
    // The stores a block run's compact forms belong to, and the number the run gives them.
    struct FormScope {
        uint64_t local;
        uint64_t global;
        uint64_t key;
    };
    void FollowStores(FormScope& scope);
    // Builds the compact form of a line the plain path has just run (compact forms: line_form.cpp).
    void BuildLineForm(int32_t index, uint64_t key);
    LineForm::Shape AssignForm(const LineCode& code, LineForm& form) const;
    LineForm::Shape ConditionForm(const LineCode& code, LineForm& form, bool loop) const;
    LineForm::Shape NextForm(const LineCode& code, LineForm& form) const;
    bool OperatorForm(const PreparedExpression& p, LineForm& form) const;
    bool ElementComparisonForm(const PreparedExpression& p, LineForm& form) const;
    LineForm::Shape ProgramForm(PreparedExpression* p, LineForm& form, LineForm::Shape shape) const;
    bool RelocateLineForm(LineForm& form, uint64_t key);
    // True when a line's code or a program is bound to the current stores.
    bool BoundHere(const LineCode& code) const;
    bool BoundHere(const NumericProgram& program) const;
    bool RunPlainStatement(MacroLine& line, int32_t& index, BlockStack& stack);
    bool RunNumericInPlace(PreparedExpression& prepared, PlainNumber& out);
    bool RunOperandInPlace(PreparedExpression& prepared, PlainNumber& out);
    bool AssignElementInPlace(LineCode& code, int32_t& index);
    bool ExecuteStatement(StatementKind kind, int32_t& index, BlockStack& stack);
    bool ExecuteOutOfLine(StatementKind kind, int32_t& index, BlockStack& stack, int32_t& countdown);
    bool ExecuteDim(int32_t& index);
    bool ExecuteLet(int32_t& index);
    bool ExecuteCall(int32_t& index);
    bool ExecuteFor(int32_t& index, BlockStack& stack);
    bool ExecuteNext(int32_t& index, BlockStack& stack);
    bool NextOfPlainLoop(int32_t& index, BlockStack& stack);
    void TestFor(int32_t& index, BlockStack& stack, const MacroValue* current = nullptr);
    bool ConditionHolds(PreparedExpression& condition, bool& holds);
    bool ExecuteIf(int32_t& index, BlockStack& stack);
    bool ExecuteElse(int32_t& index, BlockStack& stack);
    bool ExecuteEndIf(int32_t& index, BlockStack& stack);
    bool ExecuteWhile(int32_t& index, BlockStack& stack);
    bool ExecuteWend(int32_t& index, BlockStack& stack);
    bool ExitBlock(int32_t& index, BlockStack& stack, StatementKind kind);
    void ResetRunState();

    // calls and name resolution
    bool EvaluateTarget(const cMoMacro_Token& target, NameSlot*& slot, int32_t& index);
    // The element index a target's subscript gives, or -1 without one; false after an error.
    bool EvaluateSubscript(const CodeTarget& target, int32_t& index) {
        index = -1;
        return target.subscript == nullptr || EvaluateGivenSubscript(*target.subscript, index);
    }
    bool EvaluateGivenSubscript(const cMoMacro_Token& subscript, int32_t& index);
    MacroValue GetVariableValue(NameSlot& slot, int32_t index);
    void SetVariableValue(NameSlot& slot, int32_t index, MacroValue value);
    int32_t LocalPosition(NameSlot& s) {
        return CachedPosition(local_.get(), s.localShape, s.localPosition, s.upper);
    }
    int32_t GlobalPosition(NameSlot& s) {
        return CachedPosition(global_.get(), s.globalShape, s.globalPosition, s.upper);
    }
    // The position of a name in a store, answered from the slot's cache while the store keeps its shape.
    static int32_t CachedPosition(const cMoMacro_Variable* store, uint64_t& shape, int32_t& position,
                                  const std::u16string& upper) {
        if (shape == store->Shape()) return position;
        shape = store->Shape();
        position = store->SearchUpper(upper);
        return position;
    }
    // Where an element of a name with one subscript lives: the local store first, and never the running
    // function's own result variable (position 0 of the local store), which with brackets is a call. The
    // position in store, or -1 for none.
    int32_t ElementOwner(NameSlot& slot, const cMoMacro_Variable*& store) {
        store = local_.get();
        int32_t position = LocalPosition(slot);
        if (position < 0) {
            store = global_.get();
            position = GlobalPosition(slot);
        }
        return position == 0 && store != global_.get() ? -1 : position;
    }
    int32_t FindUserFunction(const std::u16string& name) const;
    int32_t FindUserFunction(NameSlot& slot) const;
    MacroValue CallFunctionAt(int32_t functionIndex, const std::u16string& name, const cMoMacro_Token* args);
    MacroValue CallExtern(const std::u16string& name, const cMoMacro_Token* args);
    MacroValue CallUserFunction(int32_t functionIndex, const std::u16string& name,
                                const cMoMacro_Token* args);
    // A new store for a call: the result variable and the parameters with their values; nullptr after an
    // error.
    std::unique_ptr<cMoMacro_Variable> CallStore(int32_t functionIndex, const std::u16string& name,
                                                 const cMoMacro_Token* args);
    bool ArgumentValue(const cMoMacro_Token& args, int32_t k, MacroValue& value);
    int32_t PushPlannedCall(NameSlot& slot, int32_t count);
    // The user function a name with brackets calls with a planned store (as ResolveSlot would call it: a name
    // that is no variable, or the running function's own name), or -1 when the name needs the general
    // resolution, which includes every name the host may be asked about afterwards.
    int32_t PlannedFunction(NameSlot& slot);
    // The recycled store of the current call depth, started for a planned call of a function.
    std::unique_ptr<cMoMacro_Variable>& StartDepthStore(int32_t functionIndex);
    bool HoldsList(size_t argBase) const;
    // The checks before a call runs: the number of arguments, the depth of calls and the room on the stack.
    bool MayCall(int32_t functionIndex, const std::u16string& name, int32_t argumentCount) {
        if (argumentCount == functions_[static_cast<size_t>(functionIndex)].ParameterCount &&
            callDepth_ < kMaxCallDepth && !StackIsLow()) [[likely]]
            return true;
        return RefuseCall(functionIndex, name, argumentCount);
    }
    bool RefuseCall(int32_t functionIndex, const std::u16string& name, int32_t argumentCount);
    std::unique_ptr<cMoMacro_Variable> TakeStore();
    void RecycleStore(std::unique_ptr<cMoMacro_Variable> store);
    // Resolves a name of an expression; count argument values lie on top of the value stack (-1: no
    // brackets).
    MacroValue ResolveSlot(NameSlot& slot, int32_t count);
    // Resolves a name of an expression and leaves its value on the value stack in place of its arguments;
    // false after an error.
    bool PushName(NameSlot& slot, int32_t count);
    // The value of a name that is a scalar variable of the local or the global store, found through the
    // slot's cache; nullptr when the name needs the general resolution (which also reports every error).
    const MacroValue* ScalarValue(NameSlot& slot) {
        if (slot.scalarLocal == local_->Id() && slot.scalarGlobal == global_->Id()) return slot.scalar;
        return FindScalar(slot);
    }
    const MacroValue* FindScalar(NameSlot& slot) {
        slot.scalarLocal = local_->Id();
        slot.scalarGlobal = global_->Id();
        if (int32_t p = LocalPosition(slot); p >= 0) return slot.scalar = local_->ScalarAt(p);
        int32_t g = GlobalPosition(slot);
        return slot.scalar = g >= 0 ? global_->ScalarAt(g) : nullptr;
    }
    // The same variable for writing.
    MacroValue* MutableScalar(NameSlot& slot) { return const_cast<MacroValue*>(ScalarValue(slot)); }
    // The value of an expression that is a lone constant or a lone scalar variable, read without evaluating
    // anything; nullptr for every other expression.
    const MacroValue* PlainOperand(PreparedExpression& p) {
        if (!IsLoneOperand(p)) return nullptr;
        const ExpressionStep& step = p.steps[0];
        if (step.kind == ExpressionStep::Kind::PushConstant)
            return &p.constants[static_cast<size_t>(step.index)];
        return ScalarValue(p.names[static_cast<size_t>(step.index)]);
    }
    MacroValue ResolveCall(NameSlot& slot, int32_t count, size_t argBase, bool mayAskHost);
    MacroValue ReadVariable(const cMoMacro_Variable& store, int32_t position, const NameSlot& slot,
                            int32_t count);
    MacroValue CallFunction(const std::u16string& name, const cMoMacro_Token* args);
    MacroValue RequestExtern(const std::u16string& name, cMoMacro_Token& values);
    // The same request for a name of an expression, through the host's direct route when it has one.
    MacroValue RequestExtern(NameSlot& slot, cMoMacro_Token& values);
    // An empty argument list from the pool, and its return after the call.
    std::unique_ptr<cMoMacro_Token> TakeArgumentList();
    void ReturnArgumentList(std::unique_ptr<cMoMacro_Token> list);
    // Runs a call in its filled store; afterwards the store is back in store, for the caller to recycle.
    MacroValue ExecuteUserFunction(int32_t functionIndex, std::unique_ptr<cMoMacro_Variable>& store);
    // True when less than a safety margin of the thread's stack is left (stack_guard.cpp).
    static bool StackIsLow() {
        const char* floor = tStackFloor;
        if (floor == nullptr) [[unlikely]]
            floor = FindStackFloor();
        return static_cast<const char*>(__builtin_frame_address(0)) < floor;
    }
    static const char* FindStackFloor();
    static inline thread_local const char* tStackFloor = nullptr; // the lowest address a frame may use

    // expression evaluator
    PreparedExpression& Prepared(const cMoMacro_Token& expression) {
        TokenCache& cache = expression.Cache();
        if (!cache.prepared) [[unlikely]]
            Prepare(expression, cache);
        return cache.expression;
    }
    void Prepare(const cMoMacro_Token& expression, TokenCache& cache);
    bool RunPrepared(PreparedExpression& prepared, NameSlot* appendTarget = nullptr, size_t base = 0,
                     size_t start = 0);
    void LetGoOfAppendedText(NameSlot& target, const MacroValue& left, const MacroValue& right, Operator op);
    // Runs the expression's numeric program, when it has a usable one; false (with nothing changed and no
    // error) when it has none or the run met a value that is not a plain number.
    bool RunNumeric(PreparedExpression& prepared, PlainNumber& out) {
        if (!prepared.numeric.usable) return false;
        return prepared.numeric.singleOperator ? RunSingleOperator(prepared, out)
                                               : RunNumericProgram(prepared, out);
    }
    bool RunNumericProgram(PreparedExpression& prepared, PlainNumber& out);
    // Call programs (call_evaluator.cpp).
    enum class BracketOutcome : uint8_t { Plain, Value, Refused, Failed };
    bool RunCallProgram(PreparedExpression& prepared, MacroValue& result, size_t& resume);
    bool ReadCallOperand(PreparedExpression& prepared, const CallOperand& operand, PlainNumber& out);
    bool RunCallBinary(PreparedExpression& prepared, const CallStep& step, PlainNumber* values,
                       int32_t& height);
    BracketOutcome RunBracketed(NameSlot& slot, int32_t count, PlainNumber* args, MacroValue& value);
    bool ReadPlainElement(NameSlot& slot, const PlainNumber& subscript, PlainNumber& out);
    bool RunSingleOperator(PreparedExpression& prepared, PlainNumber& out);
    // True when the program's addresses are those of the current stores, finding them again if the stores
    // changed; false when a name is not a variable the program can read.
    bool NumericProgramBound(PreparedExpression& prepared) {
        NumericProgram& program = prepared.numeric;
        if (program.boundLocal == local_->Id() && program.boundGlobal == global_->Id()) [[likely]]
            return true;
        return BindNumericProgram(prepared);
    }
    bool BindNumericProgram(PreparedExpression& prepared);
    bool BindNumericOperand(PreparedExpression& prepared, NumericOperand& operand);
    void RelocateNumericOperand(NumericOperand& operand);
    bool RelocateNumericProgram(NumericProgram& program);
    bool BindNumericElements(NameSlot& slot, NumericStep& step);

    std::u16string macroText_;
    std::vector<MacroLine> lines_;
    size_t lineBytes_ = 0; // what the line table's records and token lists hold, charged to TextMemory
    // Per line index: the opening line of the block whose block word the line is, as matching linked them
    // (the opener's own index for an opener with links), or -1.
    std::vector<int32_t> blockOpener_;
    std::vector<std::u16string> words_;
    std::vector<int32_t> wordTypes_;
    std::unordered_map<std::u16string, int32_t> wordIndex_; // upper-case word -> first index
    std::vector<UserFunction> functions_;
    std::unordered_map<std::u16string, int32_t> functionIndex_; // upper-case name -> first index
    uint64_t functionTableId_ = 0; // renewed whenever the function table is rebuilt

    cMoMacro_Error error_;
    std::unique_ptr<cMoMacro_Variable> global_;
    std::unique_ptr<cMoMacro_Variable> local_;
    std::vector<std::unique_ptr<cMoMacro_Variable>> storePool_; // emptied stores of finished calls
    // The recycled store of each call depth for calls whose argument values are ready (PushPlannedCall).
    std::vector<std::unique_ptr<cMoMacro_Variable>> depthStores_;
    std::vector<std::unique_ptr<cMoMacro_Token>> argumentPool_; // emptied argument lists of finished calls
    std::shared_ptr<cMoMacro_Variable::ElementBudget> elementBudget_ =
        std::make_shared<cMoMacro_Variable::ElementBudget>(
            cMoMacro_Variable::ElementBudget{kMaxLiveElements, 0});

    bool stopRequested_ = false;
    bool endRequested_ = false;
    bool syncRun_ = false;
    bool noUndefinedRequest_ = false;
    int32_t callDepth_ = 0;
    std::vector<MacroValue> stack_;         // the value stack shared by all expressions being evaluated
    std::vector<BlockRecord> blockRecords_; // the open blocks of every running block of lines

    ExternRequest requestExtern_;
    UndefinedRequest requestUndefined_;
    YieldFunction yield_;
    ExternResolver externResolver_;
    ExternDispatcher externDispatcher_;
    uint64_t externGeneration_ = 1; // renewed with the direct route, so slots ask the new resolver
    int32_t statementsPerYield_ = 1;
    int32_t yieldCountdown_ = 1; // statements left before the next yield
    uint64_t lastFormKey_ = 0;   // the last number given to a block run for its lines' compact forms
    void YieldNow(const MacroLine& line);

    // debugging (run_debugger.cpp): made by the first SetDebugHost, kept for the engine's life.
    struct DebugState;
    std::unique_ptr<DebugState> debug_;
    void DebugYield(const MacroLine& line);
    void DebugBeforeLine(const MacroLine& line);
    void ResetDebugRun();
    std::vector<int32_t> PlaceBreakpoints();
    bool StoppedWhilePaused() const;
};
