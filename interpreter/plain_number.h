// PlainNumber: a boolean, 16- or 32-bit integer or double held as its kind and a double (which holds each
// exactly), and the operators on two of them that give the same results as the general value arithmetic.
#pragma once

#include "macro_value.h"
#include "operator.h"

#include <climits>
#include <cmath>
#include <cstdint>

struct PlainNumber {
    // Left uninitialised by default: a program keeps an array of them for its results.
    double value; // a boolean is -1 (true) or 0, as its numeric value
    ValueKind kind;

    // Reads a value of one of the plain kinds; false for every other kind.
    bool Read(const MacroValue& v) {
        kind = v.Kind();
        if (kind == ValueKind::Double) [[likely]] {
            value = v.DoubleValue();
            return true;
        }
        switch (kind) {
        case ValueKind::Double:
            value = v.DoubleValue();
            return true;
        case ValueKind::Int32:
            value = v.Int32Value();
            return true;
        case ValueKind::Int16:
            value = v.Int16Value();
            return true;
        case ValueKind::Boolean:
            value = v.BooleanValue() ? -1.0 : 0.0;
            return true;
        default:
            return false;
        }
    }
    // Writes the number into a value in place.
    void WriteTo(MacroValue& v) const {
        switch (kind) {
        case ValueKind::Boolean:
            v.SetBoolean(value != 0);
            return;
        case ValueKind::Int16:
            v = MacroValue::Int16(static_cast<int16_t>(value));
            return;
        case ValueKind::Int32:
            v = MacroValue::Int32(static_cast<int32_t>(value));
            return;
        default:
            v.SetDouble(value);
        }
    }
    MacroValue ToValue() const {
        MacroValue v;
        WriteTo(v);
        return v;
    }
    bool IsNarrow() const { return kind == ValueKind::Int16 || kind == ValueKind::Boolean; }
};

inline bool CompareResult(Operator op, int c) {
    switch (op) {
    case Operator::Equal:
        return c == 0;
    case Operator::Less:
        return c < 0;
    case Operator::Greater:
        return c > 0;
    case Operator::LessEqual:
        return c <= 0;
    case Operator::GreaterEqual:
        return c >= 0;
    default:
        return c != 0;
    }
}

// The whole number of a plain number, halves to the even neighbour; false when it does not fit 32 bits.
inline bool PlainToInt32(double value, int32_t& out) {
    // A whole number in range (the usual case) converts exactly, without rounding.
    if (value >= -2147483648.0 && value <= 2147483647.0) {
        const int32_t whole = static_cast<int32_t>(value);
        if (static_cast<double>(whole) == value) {
            out = whole;
            return true;
        }
    }
    if (!std::isfinite(value)) return false;
    const double r = std::nearbyint(value);
    if (r < -2147483648.0 || r > 2147483647.0) return false;
    out = static_cast<int32_t>(r);
    return true;
}

// "\" and MOD: both sides are rounded to 32-bit whole numbers first; the result is 16-bit when both sides
// are and it fits.
inline bool ApplyPlainIntegerDivision(PlainNumber& left, const PlainNumber& right, Operator op) {
    int32_t x = 0, y = 0;
    if (!PlainToInt32(left.value, x) || !PlainToInt32(right.value, y) || y == 0) return false;
    if (x == INT32_MIN && y == -1) return false;
    int32_t r = 0;
    if (x >= 0 && y > 0 && (y & (y - 1)) == 0) // a power of two: a mask or a shift instead of a division
        r = op == Operator::Mod ? x & (y - 1) : x >> __builtin_ctz(static_cast<uint32_t>(y));
    else
        r = op == Operator::Mod ? x % y : x / y;
    const bool narrow = left.IsNarrow() && right.IsNarrow() && r >= -32768 && r <= 32767;
    left.kind = narrow ? ValueKind::Int16 : ValueKind::Int32;
    left.value = r;
    return true;
}

// The binary operators ApplyPlain may apply.
inline bool IsPlainOperator(Operator op) {
    switch (op) {
    case Operator::Add:
    case Operator::Subtract:
    case Operator::Multiply:
    case Operator::Divide:
    case Operator::Mod:
    case Operator::IntDivide:
    case Operator::Equal:
    case Operator::Less:
    case Operator::Greater:
    case Operator::LessEqual:
    case Operator::GreaterEqual:
    case Operator::NotEqual:
        return true;
    default:
        return false;
    }
}

// Applies a binary operator to two plain numbers, leaving the result in left. False, with left unchanged in
// meaning, for every case the general arithmetic must decide (other operators, sums of two integers, which
// may change kind, a division by zero, a result that is not finite).
inline bool ApplyPlain(PlainNumber& left, const PlainNumber& right, Operator op) {
    const double x = left.value, y = right.value;
    double r = 0;
    bool floating = left.kind == ValueKind::Double || right.kind == ValueKind::Double;
    switch (op) {
    case Operator::Equal:
    case Operator::Less:
    case Operator::Greater:
    case Operator::LessEqual:
    case Operator::GreaterEqual:
    case Operator::NotEqual:
        left.kind = ValueKind::Boolean;
        left.value = CompareResult(op, x < y ? -1 : x > y ? 1 : 0) ? -1.0 : 0.0;
        return true;
    case Operator::Mod:
    case Operator::IntDivide:
        return ApplyPlainIntegerDivision(left, right, op);
    case Operator::Add:
        r = x + y;
        break;
    case Operator::Subtract:
        r = x - y;
        break;
    case Operator::Multiply:
        r = x * y;
        break;
    case Operator::Divide:
        if (y == 0) return false;
        r = x / y;
        floating = true;
        break;
    default:
        return false;
    }
    if (!floating || !std::isfinite(r)) return false;
    left.kind = ValueKind::Double;
    left.value = r;
    return true;
}
