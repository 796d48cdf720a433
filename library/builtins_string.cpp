// The text built-ins MID, LEFT, RIGHT, TRIM, INSTR, STR, VAL, LEN, HEX and BIN, and the radix conversion
// procedures. Conversions run in a trapped section; the final cut of MID, LEFT and RIGHT runs after it.
#include "builtin_support.h"
#include "radix.h"
#include "text_search.h"
#include "value_ops.h"

#include <cmath>

namespace {

bool CheckedMultiply(int32_t a, int32_t b, int32_t& out) {
    return !__builtin_mul_overflow(a, b, &out);
}
bool CheckedAdd(int32_t a, int32_t b, int32_t& out) {
    return !__builtin_add_overflow(a, b, &out);
}

// A start below 1 or a negative count: an invalid argument, reported as code 7 with failure number 5.
void ReportInvalidArgument(BuiltinCall& call) {
    call.error.ReportFailure(kBuiltinErrorCode, kFailInvalidArgument);
}

// Reads text and a whole number n from the first two arguments, for LEFT and RIGHT. False after an error.
bool TextAndCount(BuiltinCall& call, std::u16string& text, int32_t& n) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() == 2, kMsgCountMismatch)) return false;
    TrappedSection trap;
    trap.Step(TextOf(call.Arg(0), text));
    trap.Step(WholeNumberOf(call.Arg(1), n));
    if (trap.Report(call.error)) return false;
    if (n < 0) {
        ReportInvalidArgument(call);
        return false;
    }
    return true;
}

// Reads the text of the single argument of TRIM, STR, LEN. False after an error.
bool SingleText(BuiltinCall& call, std::u16string& text) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() == 1, kMsgCountMismatch)) return false;
    TrappedSection trap;
    trap.Step(TextOf(call.Arg(0), text));
    return !trap.Report(call.error);
}

void BuiltinMid(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() >= 2, kMsgTooFewArguments)) return;
    TrappedSection trap;
    std::u16string storage;
    std::u16string_view text;
    int32_t start = 0;
    int32_t length = -1;
    trap.Step(TextViewOf(call.Arg(0), storage, text));
    trap.Step(WholeNumberOf(call.Arg(1), start));
    if (call.Count() >= 3) trap.Step(WholeNumberOf(call.Arg(2), length));
    if (trap.Report(call.error)) return;
    if (start < 1) {
        ReportInvalidArgument(call);
        return;
    }
    size_t from = static_cast<size_t>(start) - 1;
    if (from >= text.size()) {
        call.result = MacroValue::String(u"");
        return;
    }
    // A negative length, given or defaulted, takes everything from start to the end.
    size_t count = length < 0 ? std::u16string::npos : static_cast<size_t>(length);
    call.result = MacroValue::String(std::u16string(text.substr(from, count)));
}

void BuiltinLeft(BuiltinCall& call) {
    std::u16string text;
    int32_t n = 0;
    if (!TextAndCount(call, text, n)) return;
    call.result = MacroValue::String(text.substr(0, static_cast<size_t>(n)));
}

void BuiltinRight(BuiltinCall& call) {
    std::u16string text;
    int32_t n = 0;
    if (!TextAndCount(call, text, n)) return;
    size_t keep = std::min(text.size(), static_cast<size_t>(n));
    call.result = MacroValue::String(text.substr(text.size() - keep));
}

// Only the ordinary space is removed; tabs and the ideographic space stay.
void BuiltinTrim(BuiltinCall& call) {
    std::u16string text;
    if (!SingleText(call, text)) return;
    size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string::npos) {
        call.result = MacroValue::String(u"");
        return;
    }
    size_t last = text.find_last_not_of(u' ');
    call.result = MacroValue::String(text.substr(first, last - first + 1));
}

void BuiltinInStr(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() >= 2, kMsgTooFewArguments)) return;
    TrappedSection trap;
    std::u16string haystackStorage, needleStorage;
    std::u16string_view haystack, needle;
    trap.Step(TextViewOf(call.Arg(0), haystackStorage, haystack));
    trap.Step(TextViewOf(call.Arg(1), needleStorage, needle));
    if (trap.Report(call.error)) return;
    size_t at = haystack.empty() ? std::u16string_view::npos : FindText(haystack, needle);
    call.result = MacroValue::Int32(at == std::u16string_view::npos ? 0 : static_cast<int32_t>(at) + 1);
}

void BuiltinStr(BuiltinCall& call) {
    std::u16string text;
    if (!SingleText(call, text)) return;
    call.result = MacroValue::String(std::move(text));
}

// The leading number of the text; the result is written as soon as it is read.
void BuiltinVal(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() == 1, kMsgCountMismatch)) return;
    TrappedSection trap;
    std::u16string text;
    double value = 0;
    trap.Step(TextOf(call.Arg(0), text));
    if (trap.Step(ReadLeadingNumber(text, value))) call.result = MacroValue::Double(value);
    trap.Report(call.error);
}

void BuiltinLen(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() == 1, kMsgCountMismatch)) return;
    TrappedSection trap;
    std::u16string storage;
    std::u16string_view text;
    trap.Step(TextViewOf(call.Arg(0), storage, text));
    if (trap.Report(call.error)) return;
    call.result = MacroValue::Int32(static_cast<int32_t>(text.size()));
}

// Upper-case hexadecimal digits; negative numbers as their 32-bit two's complement.
void BuiltinHex(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() == 1, kMsgCountMismatch)) return;
    TrappedSection trap;
    int32_t n = 0;
    trap.Step(WholeNumberOf(call.Arg(0), n));
    if (trap.Report(call.error)) return;
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    uint32_t bits = static_cast<uint32_t>(n);
    std::u16string text;
    do {
        text.insert(text.begin(), kDigits[bits & 0xF]);
        bits >>= 4;
    } while (bits != 0);
    call.result = MacroValue::String(std::move(text));
}

// Binary digits of the whole absolute value of the leading number of the argument's text.
int ToBinaryText(const MacroValue& value, std::u16string& out) {
    std::u16string text;
    double x = 0;
    int32_t a = 0;
    TrappedSection trap;
    trap.Step(TextOf(value, text));
    trap.Step(ReadLeadingNumber(text, x));
    trap.Step(RoundToInt32(std::fabs(x), a));
    std::u16string digits;
    do {
        digits.insert(digits.begin(), (a % 2 != 0) ? u'1' : u'0');
        a /= 2;
    } while (a != 0);
    out = std::move(digits);
    return trap.LastFailure();
}

void BuiltinBin(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() == 1, kMsgCountMismatch)) return;
    TrappedSection trap;
    std::u16string text;
    trap.Step(ToBinaryText(call.Arg(0), text));
    if (trap.Report(call.error)) return;
    call.result = MacroValue::String(std::move(text));
}

} // namespace

void RegisterStringBuiltins(BuiltinTable& table) {
    table.Add(u"MID", BuiltinMid);
    table.Add(u"LEFT", BuiltinLeft);
    table.Add(u"RIGHT", BuiltinRight);
    table.Add(u"TRIM", BuiltinTrim);
    table.Add(u"INSTR", BuiltinInStr);
    table.Add(u"STR", BuiltinStr);
    table.Add(u"VAL", BuiltinVal);
    table.Add(u"LEN", BuiltinLen);
    table.Add(u"HEX", BuiltinHex);
    table.Add(u"BIN", BuiltinBin);
}

// --- radix conversion ---

int DigitValue(char16_t character, int32_t& out) {
    char16_t c = (character >= u'a' && character <= u'z') ? static_cast<char16_t>(character - 32) : character;
    if (c <= 64) {
        if (c < u'0' || c > u'9') return kFailTypeMismatch;
        out = c - u'0';
        return kFailNone;
    }
    out = static_cast<int32_t>(c) - 55;
    return kFailNone;
}

std::u16string DigitChar(int32_t value) {
    if (value > 9) return std::u16string(1, static_cast<char16_t>(value + 55));
    std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

int RadixToDecimal(int32_t radix, std::u16string_view text, int32_t& out) {
    int32_t value = 0;
    int32_t weight = 1;
    for (size_t i = text.size(); i-- > 0;) {
        int32_t digit = 0;
        int32_t product = 0;
        if (int failure = DigitValue(text[i], digit)) return failure;
        if (!CheckedMultiply(digit, weight, product) || !CheckedAdd(value, product, value) ||
            !CheckedMultiply(weight, radix, weight))
            return kFailOverflow;
    }
    out = value;
    return kFailNone;
}

int DecimalToRadix(int32_t radix, int32_t value, std::u16string& out) {
    if (value == 0) {
        out.assign(1, u'0');
        return kFailNone;
    }
    if (radix < 2) return kFailInvalidArgument;
    std::u16string text;
    for (int32_t d = 1; d <= value;) {
        int32_t c = 0;
        if (!CheckedMultiply(radix, d, c)) return kFailOverflow;
        text.insert(0, DigitChar((value % c) / d));
        d = c;
    }
    out = std::move(text);
    return kFailNone;
}

int ConvertRadix(int32_t fromRadix, int32_t toRadix, std::u16string_view text, std::u16string& out) {
    int32_t value = 0;
    if (int failure = RadixToDecimal(fromRadix, text, value)) return failure;
    return DecimalToRadix(toRadix, value, out);
}
