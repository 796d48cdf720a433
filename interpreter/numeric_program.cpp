// Compilation of a prepared expression into a numeric program: the value stack of the prepared steps is
// followed at compile time, so every operator step learns where its operands come from.
#include "numeric_program.h"

#include "prepared_expression.h"

namespace {

class Compiler {
  public:
    Compiler(const PreparedExpression& prepared, NumericProgram& out) : prepared_(prepared), out_(out) {}

    bool Compile() {
        for (const ExpressionStep& step : prepared_.steps)
            if (!Add(step)) return false;
        if (pending_.size() != 1) return false;
        out_.result = pending_.back();
        return true;
    }

  private:
    bool Add(const ExpressionStep& step) {
        switch (step.kind) {
        case ExpressionStep::Kind::PushConstant: {
            NumericOperand constant{NumericOperand::Source::Constant, step.index, {0, ValueKind::Double}};
            if (!constant.constant.Read(prepared_.constants[static_cast<size_t>(step.index)])) return false;
            pending_.push_back(constant);
            return true;
        }
        case ExpressionStep::Kind::Resolve:
            if (step.count < 0) {
                pending_.push_back({NumericOperand::Source::Variable, step.index, {0, ValueKind::Double}});
                return true;
            }
            // A name with one bracketed value: an array element (anything else the program cannot run).
            if (step.count != 1 || pending_.empty()) return false;
            return Emit({Operator::Unknown, Take(), {}, step.index});
        case ExpressionStep::Kind::Apply:
            if (!IsPlainOperator(step.op) && step.op != Operator::Negate) return false;
            if (step.op == Operator::Negate) {
                if (pending_.empty()) return false;
                return Emit({step.op, Take(), {}, -1});
            } else {
                if (pending_.size() < 2) return false;
                NumericOperand right = Take();
                NumericOperand left = Take();
                return Emit({step.op, left, right, -1});
            }
        case ExpressionStep::Kind::Fail:
            return false;
        }
        return false;
    }
    NumericOperand Take() {
        NumericOperand operand = pending_.back();
        pending_.pop_back();
        if (operand.source == NumericOperand::Source::Result) --results_;
        return operand;
    }
    bool Emit(const NumericStep& step) {
        out_.steps.push_back(step);
        pending_.push_back({NumericOperand::Source::Result, 0, {0, ValueKind::Double}});
        return ++results_ <= NumericProgram::kMaxResults;
    }

    const PreparedExpression& prepared_;
    NumericProgram& out_;
    std::vector<NumericOperand> pending_; // the value stack of the prepared steps, as operand sources
    int32_t results_ = 0;                 // step results on that stack
};

} // namespace

void CompileNumericProgram(const PreparedExpression& prepared, NumericProgram& out) {
    out = NumericProgram();
    if (!Compiler(prepared, out).Compile()) {
        out = NumericProgram();
        return;
    }
    out.usable = true;
    const bool operands = out.steps.size() == 1 &&
                          out.steps[0].left.source != NumericOperand::Source::Result &&
                          out.steps[0].right.source != NumericOperand::Source::Result;
    out.singleOperator =
        operands && out.steps[0].op != Operator::Unknown && out.steps[0].op != Operator::Negate;
}
