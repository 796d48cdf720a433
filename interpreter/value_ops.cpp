// Conversions, arithmetic, comparison and text forms of MacroValue.
// Failures come back as numbers (6 overflow, 11 division by zero, 13 wrong kind) for the caller to report.
#include "value_ops.h"

#include "memory_budget.h"

#include "plain_number.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

// Arithmetic kinds from narrow to wide; booleans and empty count as 16-bit.
enum class Rank { I16 = 0, I32 = 1, Fixed = 2, Single = 3, Double = 4 };

struct Number {
    Rank rank = Rank::I16;
    int64_t i = 0;  // I16, I32: the value; Fixed: ten-thousandths
    double d = 0.0; // Single, Double
};

std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}
bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

bool FitsInt16(int64_t v) {
    return v >= -32768 && v <= 32767;
}
bool FitsInt32(int64_t v) {
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

int64_t RoundUnits(int64_t units) {
    return static_cast<int64_t>(DivideRoundEven(units, 10000));
}

// The decimal point of macros is always ".", whatever locale the host program runs in (a Qt program takes
// the user's, where it may be ","): numbers are read in the C locale.
double ReadDecimalInCLocale(const char* text) {
#if defined(__GLIBC__)
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    if (cLocale != nullptr) return strtod_l(text, nullptr, cLocale);
#endif
    return std::strtod(text, nullptr);
}

// Converts an ASCII number text (digits, point, exponent) to a double; infinity means overflow.
int ConvertDecimal(const std::string& ascii, double& out) {
    if (ascii.empty()) {
        out = 0;
        return kFailNone;
    }
    out = ReadDecimalInCLocale(ascii.c_str());
    return std::isfinite(out) ? kFailNone : kFailOverflow;
}

// Reads digits of a hexadecimal or octal constant. Four hexadecimal digits or fewer are a signed 16-bit
// value, up to eight significant digits a signed 32-bit value; more do not fit.
int RadixValue(std::u16string_view digits, int radix, double& out) {
    uint64_t value = 0;
    size_t significant = 0;
    for (char16_t c : digits) {
        int d = HexDigit(c);
        if (value != 0 || d != 0) ++significant;
        value = value * static_cast<uint64_t>(radix) + static_cast<uint64_t>(d);
        if (value > 0xFFFFFFFFull || significant > 11) return kFailOverflow;
    }
    bool short16 = radix == 16 ? digits.size() <= 4 : (digits.size() <= 6 && value <= 0xFFFF);
    if (short16)
        out = static_cast<int16_t>(static_cast<uint16_t>(value));
    else
        out = static_cast<int32_t>(static_cast<uint32_t>(value));
    return kFailNone;
}

bool IsRadixPrefix(std::u16string_view t, char16_t letter) {
    return t.size() >= 2 && t[0] == u'&' && (t[1] == letter || t[1] == letter + 32);
}

size_t RadixDigitCount(std::u16string_view t, int radix) {
    size_t n = 0;
    while (n < t.size()) {
        int d = HexDigit(t[n]);
        if (d < 0 || d >= radix) break;
        ++n;
    }
    return n;
}

int ToNumber(const MacroValue& v, Number& n) {
    switch (v.Kind()) {
    case ValueKind::Empty:
        n = {Rank::I16, 0, 0};
        return kFailNone;
    case ValueKind::Boolean:
        n = {Rank::I16, v.BooleanValue() ? -1 : 0, 0};
        return kFailNone;
    case ValueKind::Int16:
        n = {Rank::I16, v.Int16Value(), 0};
        return kFailNone;
    case ValueKind::Int32:
        n = {Rank::I32, v.Int32Value(), 0};
        return kFailNone;
    case ValueKind::Fixed:
        n = {Rank::Fixed, v.FixedValue(), 0};
        return kFailNone;
    case ValueKind::Single:
        n = {Rank::Single, 0, v.SingleValue()};
        return kFailNone;
    case ValueKind::Double:
        n = {Rank::Double, 0, v.DoubleValue()};
        return kFailNone;
    case ValueKind::String: {
        double d = 0;
        int fail = ParseNumberText(v.StringValue(), d);
        n = {Rank::Double, 0, d};
        return fail;
    }
    default:
        return kFailTypeMismatch;
    }
}

double AsDouble(const Number& n) {
    if (n.rank == Rank::Fixed) return static_cast<double>(n.i) / 10000.0;
    if (n.rank <= Rank::I32) return static_cast<double>(n.i);
    return n.d;
}

int64_t AsUnits(const Number& n) {
    return n.rank == Rank::Fixed ? n.i : n.i * 10000;
}

int NumberToInt32(const Number& n, int32_t& out) {
    if (n.rank <= Rank::I32) {
        out = static_cast<int32_t>(n.i);
        return kFailNone;
    }
    if (n.rank == Rank::Fixed) {
        int64_t whole = RoundUnits(n.i);
        if (!FitsInt32(whole)) return kFailOverflow;
        out = static_cast<int32_t>(whole);
        return kFailNone;
    }
    return RoundToInt32(n.d, out);
}

MacroValue IntegerResult(int64_t value, Rank rank) {
    if (rank == Rank::I16 && FitsInt16(value)) return MacroValue::Int16(static_cast<int16_t>(value));
    if (FitsInt32(value)) return MacroValue::Int32(static_cast<int32_t>(value));
    return MacroValue::Double(static_cast<double>(value));
}

int FloatResult(double value, Rank rank, MacroValue& out) {
    if (rank == Rank::Single) {
        float f = static_cast<float>(value);
        if (!std::isfinite(f)) return kFailOverflow;
        out = MacroValue::Single(f);
        return kFailNone;
    }
    if (!std::isfinite(value)) return kFailOverflow;
    out = MacroValue::Double(value);
    return kFailNone;
}

enum class Op { Add, Subtract, Multiply };

int Arithmetic(const MacroValue& left, const MacroValue& right, Op op, MacroValue& out) {
    if (left.Kind() == ValueKind::Double &&
        right.Kind() == ValueKind::Double) { // the common case, kept short
        double x = left.DoubleValue(), y = right.DoubleValue();
        double r = op == Op::Add ? x + y : op == Op::Subtract ? x - y : x * y;
        if (!std::isfinite(r)) return kFailOverflow;
        out = MacroValue::Double(r);
        return kFailNone;
    }
    Number a, b;
    if (int f = ToNumber(left, a)) return f;
    if (int f = ToNumber(right, b)) return f;
    Rank rank = std::max(a.rank, b.rank);
    if (rank <= Rank::I32) {
        int64_t r = op == Op::Add ? a.i + b.i : op == Op::Subtract ? a.i - b.i : a.i * b.i;
        out = IntegerResult(r, rank);
        return kFailNone;
    }
    if (rank == Rank::Fixed) {
        int64_t x = AsUnits(a), y = AsUnits(b), r = 0;
        bool overflow = false;
        if (op == Op::Add)
            overflow = __builtin_add_overflow(x, y, &r);
        else if (op == Op::Subtract)
            overflow = __builtin_sub_overflow(x, y, &r);
        else {
            WideInt p = DivideRoundEven(static_cast<WideInt>(x) * y, 10000);
            overflow = p > std::numeric_limits<int64_t>::max() || p < std::numeric_limits<int64_t>::min();
            r = static_cast<int64_t>(p);
        }
        if (overflow) return kFailOverflow;
        out = MacroValue::Fixed(r);
        return kFailNone;
    }
    double x = AsDouble(a), y = AsDouble(b);
    double r = op == Op::Add ? x + y : op == Op::Subtract ? x - y : x * y;
    return FloatResult(r, rank, out);
}

enum class IntOp { Divide, Mod, And, Or, Xor };

int IntegerOperation(const MacroValue& left, const MacroValue& right, IntOp op, MacroValue& out) {
    Number a, b;
    if (int f = ToNumber(left, a)) return f;
    if (int f = ToNumber(right, b)) return f;
    int32_t x = 0, y = 0;
    if (int f = NumberToInt32(a, x)) return f;
    if (int f = NumberToInt32(b, y)) return f;
    Rank rank = std::max(a.rank, b.rank);
    int64_t r = 0;
    switch (op) {
    case IntOp::Divide:
    case IntOp::Mod:
        if (y == 0) return kFailDivisionByZero;
        r = op == IntOp::Divide ? static_cast<int64_t>(x) / y : static_cast<int64_t>(x) % y;
        if (!FitsInt32(r)) { // only -2147483648 \ -1: the result widens like every integer result
            out = MacroValue::Double(static_cast<double>(r));
            return kFailNone;
        }
        break;
    case IntOp::And:
        r = x & y;
        break;
    case IntOp::Or:
        r = x | y;
        break;
    case IntOp::Xor:
        r = x ^ y;
        break;
    }
    out = rank == Rank::I16 && FitsInt16(r) ? MacroValue::Int16(static_cast<int16_t>(r))
                                            : MacroValue::Int32(static_cast<int32_t>(r));
    return kFailNone;
}

// Shared formatting of floating values: at most `digits` significant digits, exponent form when the decimal
// exponent is at least `digits` or at most -5.
std::u16string FormatFloating(double value, int digits) {
    if (value == 0) return u"0";
    if (std::isnan(value)) return u"NaN";
    if (std::isinf(value)) return value < 0 ? u"-Infinity" : u"Infinity";
    double limit = std::pow(10.0, digits);
    char buf[64];
    // to_chars writes what printf writes in the C locale, whatever the host program's locale.
    if (std::fabs(value) < limit && value == std::trunc(value)) {
        const auto written = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 0);
        return Ascii(std::string(buf, written.ptr));
    }
    const auto written =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, digits - 1);
    std::string text(buf, written.ptr);
    bool negative = text[0] == '-';
    if (negative) text.erase(0, 1);
    size_t e = text.find('e');
    int exponent = std::atoi(text.c_str() + e + 1);
    std::string mantissa;
    for (size_t i = 0; i < e; ++i)
        if (text[i] != '.') mantissa += text[i];
    while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
    std::string result = negative ? "-" : "";
    if (exponent >= digits || exponent <= -5) {
        result += mantissa[0];
        if (mantissa.size() > 1) {
            result += '.';
            result.append(mantissa, 1);
        }
        std::snprintf(buf, sizeof buf, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        result += buf;
    } else if (exponent >= 0) {
        size_t whole = static_cast<size_t>(exponent) + 1;
        if (mantissa.size() < whole) mantissa.append(whole - mantissa.size(), '0');
        result += mantissa.substr(0, whole);
        if (mantissa.size() > whole) {
            result += '.';
            result.append(mantissa, whole);
        }
    } else {
        result += "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + mantissa;
    }
    return Ascii(result);
}

// Reads a decimal number from the start of a text: a sign, digits with one point, and an exponent (E or D)
// when digits follow it. Collects the characters read as ASCII for strtod, counts the mantissa digits and
// returns where reading stopped.
size_t ScanDecimal(std::u16string_view t, std::string& ascii, size_t& mantissaDigits) {
    size_t i = 0;
    mantissaDigits = 0;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) ascii += static_cast<char>(t[i++]);
    bool point = false;
    for (; i < t.size() && (IsDigit(t[i]) || (t[i] == u'.' && !point)); ++i) {
        if (t[i] == u'.')
            point = true;
        else
            ++mantissaDigits;
        ascii += static_cast<char>(t[i]);
    }
    if (mantissaDigits == 0 || i >= t.size()) return i;
    if (t[i] != u'E' && t[i] != u'e' && t[i] != u'D' && t[i] != u'd') return i;
    size_t j = i + 1;
    std::string exponent = "e";
    if (j < t.size() && (t[j] == u'+' || t[j] == u'-')) exponent += static_cast<char>(t[j++]);
    size_t expDigits = 0;
    for (; j < t.size() && IsDigit(t[j]); ++j, ++expDigits) exponent += static_cast<char>(t[j]);
    if (expDigits == 0) return i;
    ascii += exponent;
    return j;
}

} // namespace

WideInt DivideRoundEven(WideInt numerator, int64_t denominator) {
    WideInt q = numerator / denominator;
    WideInt r = numerator % denominator;
    if (r < 0) r = -r;
    if (2 * r > denominator || (2 * r == denominator && (q % 2) != 0)) q += numerator < 0 ? -1 : 1;
    return q;
}

std::u16string FormatDouble(double value) {
    return FormatFloating(value, 15);
}
std::u16string FormatSingle(float value) {
    return FormatFloating(value, 7);
}

std::u16string FormatFixed(int64_t tenThousandths) {
    uint64_t magnitude = tenThousandths < 0 ? 0ull - static_cast<uint64_t>(tenThousandths)
                                            : static_cast<uint64_t>(tenThousandths);
    std::string text = std::to_string(magnitude / 10000);
    std::string fraction = std::to_string(10000 + magnitude % 10000).substr(1);
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (!fraction.empty()) text += "." + fraction;
    if (tenThousandths < 0) text = "-" + text;
    return Ascii(text);
}

std::u16string ToText(const MacroValue& value) {
    switch (value.Kind()) {
    case ValueKind::Boolean:
        return value.BooleanValue() ? u"True" : u"False";
    case ValueKind::Int16:
        return Ascii(std::to_string(value.Int16Value()));
    case ValueKind::Int32:
        return Ascii(std::to_string(value.Int32Value()));
    case ValueKind::Fixed:
        return FormatFixed(value.FixedValue());
    case ValueKind::Single:
        return FormatSingle(value.SingleValue());
    case ValueKind::Double:
        return FormatDouble(value.DoubleValue());
    case ValueKind::String:
        return value.StringValue();
    default:
        return u"";
    }
}

int ParseNumberText(std::u16string_view text, double& out) {
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    std::u16string_view t = text.substr(first, last - first);
    for (int radix : {16, 8}) {
        if (!IsRadixPrefix(t, radix == 16 ? u'H' : u'O')) continue;
        std::u16string_view digits = t.substr(2);
        if (digits.empty() || RadixDigitCount(digits, radix) != digits.size()) return kFailTypeMismatch;
        return RadixValue(digits, radix, out);
    }
    std::string ascii;
    size_t digits = 0;
    if (ScanDecimal(t, ascii, digits) != t.size() || digits == 0) return kFailTypeMismatch;
    return ConvertDecimal(ascii, out);
}

int ReadLeadingNumber(std::u16string_view text, double& out) {
    std::u16string t;
    for (char16_t c : text)
        if (c != u' ' && c != u'\t' && c != u'\n') t += c;
    out = 0;
    for (int radix : {16, 8}) {
        if (!IsRadixPrefix(t, radix == 16 ? u'H' : u'O')) continue;
        std::u16string_view rest = std::u16string_view(t).substr(2);
        size_t n = RadixDigitCount(rest, radix);
        return n == 0 ? kFailNone : RadixValue(rest.substr(0, n), radix, out);
    }
    std::string ascii;
    size_t digits = 0;
    ScanDecimal(t, ascii, digits);
    if (digits == 0) return kFailNone;
    return ConvertDecimal(ascii, out);
}

int ToDouble(const MacroValue& value, double& out) {
    Number n;
    if (int f = ToNumber(value, n)) return f;
    out = AsDouble(n);
    return kFailNone;
}

int RoundToInt32(double value, int32_t& out) {
    return PlainToInt32(value, out) ? kFailNone : kFailOverflow;
}

int ToInt32(const MacroValue& value, int32_t& out) {
    if (value.Kind() == ValueKind::Double)
        return RoundToInt32(value.DoubleValue(), out); // subscripts, mostly
    Number n;
    if (int f = ToNumber(value, n)) return f;
    return NumberToInt32(n, out);
}

int AddValues(const MacroValue& left, const MacroValue& right, MacroValue& out) {
    bool ls = left.IsString(), rs = right.IsString();
    if ((ls && (rs || right.IsEmpty())) || (rs && left.IsEmpty()))
        return JoinTexts(left.StringValue(), right.StringValue(), out);
    return Arithmetic(left, right, Op::Add, out);
}

int TextLengthFailure(size_t length) {
    if (length > kMaxTextLength) return kFailOverflow;
    if (!TextMemory::HasRoomFor(length * sizeof(char16_t))) return kFailOutOfMemory;
    return kFailNone;
}

int JoinTexts(const std::u16string& left, const std::u16string& right, MacroValue& out) {
    if (int failure = TextLengthFailure(left.size() + right.size())) return failure;
    out = MacroValue::String(left + right);
    return kFailNone;
}

int SubtractValues(const MacroValue& l, const MacroValue& r, MacroValue& out) {
    return Arithmetic(l, r, Op::Subtract, out);
}
int MultiplyValues(const MacroValue& l, const MacroValue& r, MacroValue& out) {
    return Arithmetic(l, r, Op::Multiply, out);
}

int DivideValues(const MacroValue& left, const MacroValue& right, MacroValue& out) {
    double a = 0, b = 0;
    if (int f = ToDouble(left, a)) return f;
    if (int f = ToDouble(right, b)) return f;
    if (b == 0) return kFailDivisionByZero;
    return FloatResult(a / b, Rank::Double, out);
}

int IntDivideValues(const MacroValue& l, const MacroValue& r, MacroValue& out) {
    return IntegerOperation(l, r, IntOp::Divide, out);
}
int ModValues(const MacroValue& l, const MacroValue& r, MacroValue& out) {
    return IntegerOperation(l, r, IntOp::Mod, out);
}

int PowerValues(const MacroValue& left, const MacroValue& right, MacroValue& out) {
    double base = 0, exponent = 0;
    if (int f = ToDouble(left, base)) return f;
    if (int f = ToDouble(right, exponent)) return f;
    if (base == 0 && exponent < 0) return kFailDivisionByZero;
    double r = std::pow(base, exponent);
    if (std::isnan(r)) return kFailInvalidArgument;
    return FloatResult(r, Rank::Double, out);
}

int AndValues(const MacroValue& l, const MacroValue& r, MacroValue& out) {
    if (l.Kind() == ValueKind::Boolean && r.Kind() == ValueKind::Boolean) {
        out = MacroValue::Boolean(l.BooleanValue() && r.BooleanValue());
        return kFailNone;
    }
    return IntegerOperation(l, r, IntOp::And, out);
}

int OrValues(const MacroValue& l, const MacroValue& r, MacroValue& out) {
    if (l.Kind() == ValueKind::Boolean && r.Kind() == ValueKind::Boolean) {
        out = MacroValue::Boolean(l.BooleanValue() || r.BooleanValue());
        return kFailNone;
    }
    return IntegerOperation(l, r, IntOp::Or, out);
}

int XorValues(const MacroValue& l, const MacroValue& r, MacroValue& out) {
    if (l.Kind() == ValueKind::Boolean && r.Kind() == ValueKind::Boolean) {
        out = MacroValue::Boolean(l.BooleanValue() != r.BooleanValue());
        return kFailNone;
    }
    return IntegerOperation(l, r, IntOp::Xor, out);
}

int NotValue(const MacroValue& operand, MacroValue& out) {
    if (operand.Kind() == ValueKind::Boolean) {
        out = MacroValue::Boolean(!operand.BooleanValue());
        return kFailNone;
    }
    Number n;
    if (int f = ToNumber(operand, n)) return f;
    int32_t v = 0;
    if (int f = NumberToInt32(n, v)) return f;
    out = IntegerResult(~static_cast<int64_t>(v), n.rank == Rank::I16 ? Rank::I16 : Rank::I32);
    return kFailNone;
}

int NegateValue(const MacroValue& operand, MacroValue& out) {
    Number n;
    if (int f = ToNumber(operand, n)) return f;
    switch (n.rank) {
    case Rank::I16:
    case Rank::I32:
        out = IntegerResult(-n.i, n.rank);
        return kFailNone;
    case Rank::Fixed:
        if (n.i == std::numeric_limits<int64_t>::min()) return kFailOverflow;
        out = MacroValue::Fixed(-n.i);
        return kFailNone;
    default:
        return FloatResult(-n.d, n.rank, out);
    }
}

int CompareValues(const MacroValue& left, const MacroValue& right) {
    if (left.Kind() == ValueKind::Double && right.Kind() == ValueKind::Double) {
        double x = left.DoubleValue(), y = right.DoubleValue();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    bool ls = left.IsString(), rs = right.IsString();
    if (ls || rs) {
        bool lText = ls || left.IsEmpty() || left.IsNull();
        bool rText = rs || right.IsEmpty() || right.IsNull();
        if (lText && rText) {
            int c = left.StringValue().compare(right.StringValue());
            return c < 0 ? -1 : c > 0 ? 1 : 0;
        }
        return ls ? 1 : -1; // a number is smaller than any string
    }
    Number a, b;
    if (ToNumber(left.IsNull() ? MacroValue() : left, a) ||
        ToNumber(right.IsNull() ? MacroValue() : right, b))
        return 0;
    Rank rank = std::max(a.rank, b.rank);
    if (rank <= Rank::Fixed) {
        int64_t x = rank == Rank::Fixed ? AsUnits(a) : a.i, y = rank == Rank::Fixed ? AsUnits(b) : b.i;
        return x < y ? -1 : x > y ? 1 : 0;
    }
    double x = AsDouble(a), y = AsDouble(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

bool ValuesEqual(const MacroValue& left, const MacroValue& right) {
    if (left.IsList() || right.IsList())
        return left.IsList() && right.IsList() && left.ListValue() == right.ListValue();
    return CompareValues(left, right) == 0;
}

int ValueTruth(const MacroValue& value, bool& out) {
    switch (value.Kind()) {
    case ValueKind::String:
    case ValueKind::List:
        return kFailTypeMismatch;
    case ValueKind::Boolean:
        out = value.BooleanValue();
        return kFailNone;
    default:
        out = value.AsDouble() != 0.0;
        return kFailNone;
    }
}
