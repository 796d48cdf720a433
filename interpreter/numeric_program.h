// NumericProgram: an expression of constants, variables, array elements and arithmetic, compiled once into
// steps whose operands name their sources directly, so it can be run on plain numbers without a value stack.
#pragma once

#include "plain_number.h"

#include <cstdint>
#include <vector>

struct PreparedExpression;

struct NumericOperand {
    enum class Source : uint8_t { Constant, Variable, Result };
    Source source = Source::Result;
    int32_t index = 0; // Variable: the expression's name slot; Constant: the expression's constant
    PlainNumber constant{0, ValueKind::Double}; // Constant: its value
    const MacroValue* address = nullptr; // Variable: the scalar it reads, found when the program is bound
    int32_t localPosition = -1;          // and its position when it is a local variable
};

// One operator, or the read of an array element (op Unknown: left is the subscript, name the array's slot).
// A Result operand is the newest unused result of an earlier step.
struct NumericStep {
    Operator op = Operator::Unknown;
    NumericOperand left;
    NumericOperand right;
    int32_t name = -1;
    const MacroValue* elements = nullptr; // an element read: the array's elements, found when bound
    int32_t lastIndex = -1;               // and its last index
    int32_t localPosition = -1;           // the array's position when it is a local variable
};

struct NumericProgram {
    static constexpr int32_t kMaxResults = 16;
    static constexpr int32_t kMaxMisses = 16;
    std::vector<NumericStep> steps;
    NumericOperand result;       // the expression's value
    bool usable = false;         // compiled, and not given up after repeated misses
    bool singleOperator = false; // one binary operator on two constants or variables
    int32_t misses = 0;          // runs in a row that met something other than plain numbers
    // The identities of the local and global store when the variables' addresses were found (0: never). While
    // both stores keep them, every name keeps its variable and every variable its address, so a run reads
    // the variables straight from there.
    uint64_t boundLocal = 0;
    uint64_t boundGlobal = 0;
    // The local store's shape then: another local store of that shape (the next call of the same function)
    // holds the same names at the same positions, so the local variables' addresses are taken from there
    // without searching.
    uint64_t boundShape = 0;
};

// Compiles the steps of a prepared expression, if it consists only of what a numeric program can run; leaves
// the program unusable otherwise. Running it reads variables and nothing else, so a run that meets anything
// else can simply be abandoned and the expression evaluated by the general steps.
void CompileNumericProgram(const PreparedExpression& prepared, NumericProgram& out);

// A constant or a bound variable.
[[gnu::always_inline]] inline bool ReadDirectOperand(const NumericOperand& operand, PlainNumber& out) {
    if (operand.source == NumericOperand::Source::Constant) {
        out = operand.constant;
        return true;
    }
    return out.Read(*operand.address);
}

// Runs a bound program of one operator on two constants or variables.
[[gnu::always_inline]] inline bool RunBoundSingleOperator(const NumericProgram& program, PlainNumber& out) {
    const NumericStep& step = program.steps.front();
    PlainNumber right;
    return ReadDirectOperand(step.right, right) && ReadDirectOperand(step.left, out) &&
           ApplyPlain(out, right, step.op);
}
