// A line evaluated in a paused run: split, classified and compiled as any macro line, then either assigned
// to a variable of the paused call or computed as an expression, with the run's error and value stack kept.
#include "debug_state.h"
#include "engine.h"
#include "statement_compiler.h"

#include "value_ops.h"

#include <new>

namespace {

// What the engine must find again as it was once the line has been evaluated.
class RunStateKept {
  public:
    RunStateKept(cMoMacro_Error& error, std::vector<MacroValue>& stack, bool& evaluating, int32_t line)
        : error_(error), kept_(error), stack_(stack), depth_(stack.size()), evaluating_(evaluating),
          line_(line) {
        evaluating_ = true;
        ClearError();
    }
    // No error, at the paused line: before the line is read, and again before it is computed.
    void ClearError() {
        error_.Clear();
        error_.SetErrorLine(line_);
    }
    ~RunStateKept() {
        evaluating_ = false;
        if (stack_.size() > depth_) stack_.resize(depth_);
        error_ = kept_;
    }
    RunStateKept(const RunStateKept&) = delete;
    RunStateKept& operator=(const RunStateKept&) = delete;

  private:
    cMoMacro_Error& error_;
    const cMoMacro_Error kept_;
    std::vector<MacroValue>& stack_;
    size_t depth_;
    bool& evaluating_;
    int32_t line_;
};

DebugEvaluation Failed(const cMoMacro_Error& error) {
    DebugEvaluation result;
    result.errorCode = error.ErrorCode();
    result.errorMessage = error.ErrorMsg();
    result.errorInformation = error.ErrorInformation();
    return result;
}

DebugEvaluation Evaluated(const MacroValue& value, bool assigned) {
    DebugEvaluation result;
    result.kind = DebugKindOf(value);
    result.value = ToText(value);
    result.assigned = assigned;
    return result;
}

} // namespace

DebugEvaluation cMoMacro_Engine::DebugEvaluate(const std::u16string& line) {
    if (!debug_ || !debug_->paused || debug_->evaluating) {
        DebugEvaluation refused;
        refused.errorCode = -1;
        return refused;
    }
    RunStateKept kept(error_, stack_, debug_->evaluating, debug_->pausedLine);
    try {
        TokenRef tokens = SplitLine(line);
        ClassifyTokens(*tokens);
        if (error_.ErrorCode() != 0) return Failed(error_);
        if (tokens->Count() == 0) return Evaluated(MacroValue(), false);
        // An assignment is the one statement a line may be; everything else is read as an expression.
        TokenRef statement = CompileStatement(*tokens, error_);
        const bool assignment = statement && error_.ErrorCode() == 0 && statement->Count() == 3 &&
                                statement->Item(0).StringValue() == u"LET";
        kept.ClearError();
        if (!assignment) {
            MacroValue value = Compute(*tokens);
            return error_.ErrorCode() != 0 ? Failed(error_) : Evaluated(value, false);
        }
        const cMoMacro_Token& target = *statement->ItemToken(1);
        int32_t element = -1;
        if (target.Count() > 1 && !EvaluateGivenSubscript(*target.ItemToken(1), element))
            return Failed(error_);
        MacroValue value = Compute(*statement->ItemToken(2));
        if (error_.ErrorCode() != 0) return Failed(error_);
        NameSlot slot;
        slot.name = target.Item(0).StringValue();
        slot.upper = UpperCase(slot.name);
        SetVariableValue(slot, element, value);
        return error_.ErrorCode() != 0 ? Failed(error_) : Evaluated(value, true);
    } catch (const std::bad_alloc&) {
        ReportAllocationFailure();
        return Failed(error_);
    }
}
