// Compilation of a prepared expression into a call program: each prepared step becomes a call step, an
// operator takes the constants and variables pushed just before it as its own operands, and the height of
// the value stack is followed so that a run never needs more room than the program has.
#include "call_program.h"

#include "prepared_expression.h"

namespace {

class Compiler {
  public:
    Compiler(const PreparedExpression& prepared, CallProgram& out) : prepared_(prepared), out_(out) {}

    bool Compile() {
        bool bracketed = false;
        for (size_t i = 0; i < prepared_.steps.size(); ++i) {
            const ExpressionStep& step = prepared_.steps[i];
            bracketed = bracketed || (step.kind == ExpressionStep::Kind::Resolve && step.count >= 0);
            if (!Add(step, static_cast<int32_t>(i)) || height_ > CallProgram::kMaxHeight) return false;
        }
        return bracketed && height_ == 1;
    }

  private:
    bool Add(const ExpressionStep& step, int32_t first) {
        CallStep out;
        out.first = first;
        switch (step.kind) {
        case ExpressionStep::Kind::PushConstant:
            out.left.source = CallOperand::Source::Constant;
            if (!out.left.constant.Read(prepared_.constants[static_cast<size_t>(step.index)])) return false;
            return Emit(out, 1);
        case ExpressionStep::Kind::Resolve:
            if (step.count < 0) {
                out.left = {CallOperand::Source::Variable, step.index};
                return Emit(out, 1);
            }
            if (step.count > height_) return false;
            out.kind = CallStep::Kind::Bracketed;
            out.count = step.count;
            out.name = step.index;
            return Emit(out, 1 - step.count);
        case ExpressionStep::Kind::Apply:
            out.op = step.op;
            if (step.op == Operator::Negate || step.op == Operator::Not) {
                out.kind = CallStep::Kind::Unary;
                return height_ >= 1 && Emit(out, 0);
            }
            if (height_ < 2) return false;
            out.kind = CallStep::Kind::Binary;
            // The operands pushed just before the operator are read by it: nothing runs in between.
            if (TakePush(out.right, out.first)) TakePush(out.left, out.first);
            return Emit(out, -1);
        case ExpressionStep::Kind::Fail:
            return false;
        }
        return false;
    }
    // The last step, when it pushes a constant or variable, becomes an operand of the step being compiled.
    bool TakePush(CallOperand& operand, int32_t& first) {
        if (out_.steps.empty() || out_.steps.back().kind != CallStep::Kind::Push) return false;
        operand = out_.steps.back().left;
        first = out_.steps.back().first;
        out_.steps.pop_back();
        return true;
    }
    bool Emit(const CallStep& step, int32_t change) {
        out_.steps.push_back(step);
        height_ += change;
        return true;
    }

    const PreparedExpression& prepared_;
    CallProgram& out_;
    int32_t height_ = 0; // values on the prepared steps' stack after the steps so far
};

} // namespace

void CompileCallProgram(const PreparedExpression& prepared, CallProgram& out) {
    out = CallProgram();
    if (!Compiler(prepared, out).Compile()) {
        out = CallProgram();
        return;
    }
    out.usable = true;
}
