// LineForm: the commonest plain statements reduced to the addresses they read and write and their operator,
// so that the block runner runs them with one test of the block run they belong to and one dispatch.
#pragma once

#include "macro_value.h"
#include "operator.h"

#include <cstdint>

struct PreparedExpression;

struct LineForm {
    enum class Shape : uint8_t {
        Unknown, // not built yet
        None,    // the statement has no compact form: the block runner's general path runs it
        // A scalar variable given a double: a lone operand's, or the result of an operator on two doubles.
        Assign,
        AssignAdd,
        AssignSubtract,
        AssignMultiply,
        AssignDivide,
        // An array element given a double; the subscript is a whole number in range.
        AssignElement,
        // A scalar variable given the plain number of a numeric program, and IF and WHILE on one.
        AssignProgram,
        IfProgram,
        WhileProgram,
        // IF on a comparison of an array element with a constant or variable: the subscript a whole number in
        // range, the element and the other operand plain numbers.
        IfElement,
        // The NEXT of a loop whose variable, step and end are doubles; with a constant step, upward (a
        // positive step) or downward (any other).
        Next,
        NextUp,
        NextDown,
        // IF and WHILE on a comparison of two doubles.
        IfEqual,
        IfLess,
        IfGreater,
        IfLessEqual,
        IfGreaterEqual,
        IfNotEqual,
        WhileEqual,
        WhileLess,
        WhileGreater,
        WhileLessEqual,
        WhileGreaterEqual,
        WhileNotEqual,
        // The ends of blocks, which read no variables.
        Else,
        EndIf,
        Wend,
    };
    Shape shape = Shape::Unknown;
    Operator op = Operator::Unknown; // IfElement: the comparison
    // The block run the addresses below belong to: a number the block runner gives each of its runs, and
    // a new one whenever the identity of its local or global store changes (0: none yet).
    uint64_t key = 0;
    // The global store's identity and the local store's shape where the addresses were found, and the local
    // positions of the target and the operands (-1: not a local variable). A later local store of that shape
    // (the next call of the same function) holds the same names at the same positions, so the form is moved
    // to its variables instead of being built again.
    uint64_t global = 0;
    uint64_t localShape = 0;
    int32_t targetPosition = -1;
    int32_t leftPosition = -1;
    int32_t rightPosition = -1;
    // The same two of the last plain run without a form. A form is built only when the line runs a second
    // time with them: a line that runs once would pay for a build it never uses.
    uint64_t seenGlobal = 0;
    uint64_t seenShape = 0;
    PreparedExpression* program = nullptr; // the program of the Program shapes
    MacroValue* target = nullptr;     // Assign: the variable; AssignElement, IfElement: the first element;
                                      // Next: the loop variable
    const MacroValue* left = nullptr; // the operand or left operand; AssignElement, IfElement: the subscript;
                                      // Next: the step
    const MacroValue* right = nullptr; // the right operand; AssignElement: the value; IfElement: what the
                                       // element is compared with; Next: the end
    double step = 0;                   // NextUp, NextDown: the constant step
    int32_t lastIndex = -1;            // AssignElement, IfElement: the array's last index
    int32_t opener = 0;                // Next: the FOR line it closes
    int32_t jump = 0;                  // Next: the first line of the body; IF: its END IF; WHILE: its WEND;
                                       // WEND: its WHILE
    int32_t jumpIfFalse = 0;           // IF: where a false condition continues
};
