// Construction of MacroValue kinds and the plain numeric reading of a value.
// Conversions that can fail are in value_ops.cpp.
#include "macro_value.h"

MacroValue MacroValue::Null() {
    MacroValue v;
    v.kind_ = ValueKind::Null;
    return v;
}

MacroValue MacroValue::Boolean(bool value) {
    MacroValue v;
    v.kind_ = ValueKind::Boolean;
    v.num_.b = value;
    return v;
}

MacroValue MacroValue::Int16(int16_t value) {
    MacroValue v;
    v.kind_ = ValueKind::Int16;
    v.num_.i16 = value;
    return v;
}

MacroValue MacroValue::Int32(int32_t value) {
    MacroValue v;
    v.kind_ = ValueKind::Int32;
    v.num_.i32 = value;
    return v;
}

MacroValue MacroValue::Fixed(int64_t tenThousandths) {
    MacroValue v;
    v.kind_ = ValueKind::Fixed;
    v.num_.fx = tenThousandths;
    return v;
}

MacroValue MacroValue::Single(float value) {
    MacroValue v;
    v.kind_ = ValueKind::Single;
    v.num_.f = value;
    return v;
}

MacroValue MacroValue::Double(double value) {
    MacroValue v;
    v.kind_ = ValueKind::Double;
    v.num_.d = value;
    return v;
}

MacroValue MacroValue::String(std::u16string text) {
    MacroValue v;
    v.text_ = new SharedText{1, std::move(text)};
    v.kind_ = ValueKind::String;
    return v;
}

MacroValue MacroValue::List(TokenRef list) {
    MacroValue v;
    v.list_ = new SharedList{1, std::move(list)};
    v.kind_ = ValueKind::List;
    return v;
}

const std::u16string& MacroValue::EmptyText() {
    static const std::u16string empty;
    return empty;
}

const TokenRef& MacroValue::EmptyList() {
    static const TokenRef none;
    return none;
}
