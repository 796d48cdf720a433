// The prepared form of an expression: the evaluator's scan done once, recorded as a list of steps (push a
// constant, resolve a name, apply an operator, fail) in the order the scan would perform them, plus per-name
// lookup caches.
#pragma once

#include "call_program.h"
#include "macro_value.h"
#include "memory_budget.h"
#include "numeric_program.h"
#include "operator.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Where a name was last found in the variable stores, valid while the store keeps the shape it had then (a
// store renews it whenever it gains a variable or is emptied), and the scalar value found through both
// stores, valid while both keep their identities.
struct NameSlot {
    std::u16string name;  // as written
    std::u16string upper; // the store key
    uint64_t localShape = 0;
    int32_t localPosition = -1;
    uint64_t globalShape = 0;
    int32_t globalPosition = -1;
    uint64_t scalarLocal = 0; // the identities of the two stores when scalar was found
    uint64_t scalarGlobal = 0;
    const MacroValue* scalar = nullptr; // the scalar variable the name reads, or nullptr for none
    uint64_t functionTable = 0;         // the function table the index below was found in
    int32_t functionIndex = -1;
    uint64_t externGeneration = 0; // the host's direct route the number below was found in
    int32_t externNumber = -1;
};

struct ExpressionStep {
    enum class Kind : uint8_t { PushConstant, Resolve, Apply, Fail };
    Kind kind = Kind::Fail;
    Operator op = Operator::Unknown;
    int32_t count = -1; // Resolve: argument values on the stack, -1 when the name had no brackets
    int32_t index = 0;  // PushConstant: constant; Resolve: name slot; Fail: failure
};

struct ExpressionFailure {
    int32_t code = 0;
    std::u16string text;
};

struct PreparedExpression {
    std::vector<ExpressionStep> steps;
    std::vector<MacroValue> constants;
    std::vector<NameSlot> names;
    std::vector<ExpressionFailure> failures;
    int32_t height = 0;     // values left when every step succeeds
    NumericProgram numeric; // the same expression for plain numbers, when it can be run that way
    CallProgram calls;      // the same for an expression with calls, when it can be run that way
};

// An expression that is a single constant or a variable without brackets: reading it has no effect.
inline bool IsLoneOperand(const PreparedExpression& p) {
    if (p.steps.size() != 1) return false;
    const ExpressionStep& step = p.steps[0];
    return step.kind == ExpressionStep::Kind::PushConstant ||
           (step.kind == ExpressionStep::Kind::Resolve && step.count < 0);
}

// What an engine keeps beside a token list it evaluates: the prepared expression, and the slot of the list's
// first name when the list is an assignment or loop target (made only for targets: most lists are none).
struct TokenCache {
    TokenCache() = default;
    TokenCache(const TokenCache&) = delete;
    TokenCache& operator=(const TokenCache&) = delete;
    ~TokenCache() { TextMemory::Refund(charged); }

    PreparedExpression expression;
    bool prepared = false;
    std::unique_ptr<NameSlot> target;
    size_t charged = 0; // what the prepared expression counts against the thread's memory budget
};

// Prepares the (already normalised) token list of an expression.
void PrepareExpression(const class cMoMacro_Token& normalized, PreparedExpression& out);
// Merges two-character comparisons and turns signs into negation, in place.
void NormalizeOperators(class cMoMacro_Token& list);
