// MacroValue: the one value type of the macro language (variables, array elements, tokens, arguments,
// results). A small tagged value; the conversions and arithmetic that every part of the program shares live
// in value_ops.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class cMoMacro_Token;
using TokenRef = std::shared_ptr<cMoMacro_Token>;

enum class ValueKind : uint8_t { Empty, Null, Boolean, Int16, Int32, Fixed, Single, Double, String, List };

class MacroValue {
  public:
    MacroValue() = default;

    static MacroValue Null();
    static MacroValue Boolean(bool value);
    static MacroValue Int16(int16_t value);
    static MacroValue Int32(int32_t value);
    static MacroValue Fixed(int64_t tenThousandths);
    static MacroValue Single(float value);
    static MacroValue Double(double value);
    static MacroValue String(std::u16string text);
    static MacroValue List(TokenRef list);

    ValueKind Kind() const { return kind_; }
    bool IsEmpty() const { return kind_ == ValueKind::Empty; }
    bool IsNull() const { return kind_ == ValueKind::Null; }
    bool IsString() const { return kind_ == ValueKind::String; }
    bool IsList() const { return kind_ == ValueKind::List; }
    // True for booleans and every number kind.
    bool IsNumeric() const { return kind_ >= ValueKind::Boolean && kind_ <= ValueKind::Double; }

    bool BooleanValue() const { return num_.b; }
    int16_t Int16Value() const { return num_.i16; }
    int32_t Int32Value() const { return num_.i32; }
    int64_t FixedValue() const { return num_.fx; }
    float SingleValue() const { return num_.f; }
    double DoubleValue() const { return num_.d; }
    const std::u16string& StringValue() const { return text_; }
    const TokenRef& ListValue() const { return list_; }

    // The numeric value of a boolean, number, empty or null as a double (true is -1; empty and null are 0).
    double AsDouble() const;

  private:
    ValueKind kind_ = ValueKind::Empty;
    union {
        bool b;
        int16_t i16;
        int32_t i32;
        int64_t fx;
        float f;
        double d;
    } num_{};
    std::u16string text_;
    TokenRef list_;
};
