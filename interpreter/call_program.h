// CallProgram: an expression that calls functions, on plain numbers: its prepared steps run on a small stack
// of plain numbers instead of the value stack, handing over to the prepared steps where they must.
#pragma once

#include "plain_number.h"

#include <cstdint>
#include <vector>

struct PreparedExpression;

// Where an operand comes from: the stack of results, a constant (its value kept here) or a scalar variable
// (the expression's name slot).
struct CallOperand {
    enum class Source : uint8_t { Stack, Constant, Variable };
    Source source = Source::Stack;
    int32_t name = 0;
    PlainNumber constant{0, ValueKind::Double};
};

// One or a few prepared steps: a constant or variable pushed, an operator (an operand that is a constant or
// variable written just before it is read by the step itself), or a name with brackets (an element or a
// call) with its count of argument values. first is the prepared step it begins with.
struct CallStep {
    enum class Kind : uint8_t { Push, Unary, Binary, Bracketed };
    Kind kind = Kind::Push;
    Operator op = Operator::Unknown;
    int32_t count = 0; // Bracketed: the argument values on the stack
    int32_t name = 0;  // Bracketed: the expression's name slot
    int32_t first = 0;
    CallOperand left;  // Push: what it pushes
    CallOperand right; // Binary
};

// Unlike a numeric program, a call program cannot be abandoned once a call has run (the call may have done
// anything), so it reads every variable where the prepared steps read it (an operand read by its operator
// had no call in between) and keeps its values in their order. Wherever it meets something it does not
// handle (a text, an operator that is not plain, a name that is not a planned call) it hands its values and
// the rest of the steps over to the prepared steps, which continue exactly where it stopped.
struct CallProgram {
    static constexpr int32_t kMaxHeight = 16;
    static constexpr int32_t kMaxMisses = 16;
    std::vector<CallStep> steps;
    bool usable = false; // compiled, and not given up after repeated misses
    int32_t misses = 0;  // runs in a row that handed over before their first call
};

// Compiles a prepared expression that has a name with brackets and otherwise only plain-number constants,
// names and operators, and leaves a single value; leaves the program unusable otherwise.
void CompileCallProgram(const PreparedExpression& prepared, CallProgram& out);
