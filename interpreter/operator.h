// Operator: the operators of the macro language's expressions, as the evaluator's scan recognises them and
// its steps apply them.
#pragma once

#include <cstdint>

enum class Operator : uint8_t {
    Open,
    Close,
    Comma,
    Concat,
    Equal,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    NotEqual,
    Xor,
    Or,
    And,
    Not,
    Add,
    Subtract,
    Mod,
    IntDivide,
    Multiply,
    Divide,
    Negate,
    Power,
    Unknown
};
