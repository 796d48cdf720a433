// Construction of MacroValue kinds and the plain numeric reading of a value.
// Conversions that can fail are in value_ops.cpp.
#include "macro_value.h"

#include "memory_budget.h"

namespace {

// The bytes a shared text holds: its record, and its characters once they no longer fit in the string
// itself.
size_t HeldBytes(const std::u16string& text) {
    static const size_t inlineCapacity = std::u16string().capacity();
    const size_t characters = text.capacity() > inlineCapacity ? (text.capacity() + 1) * sizeof(char16_t) : 0;
    return sizeof(std::u16string) + sizeof(int32_t) + characters;
}

} // namespace

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
    v.text_ = NewText(std::move(text));
    v.kind_ = ValueKind::String;
    return v;
}

MacroValue MacroValue::List(TokenRef list) {
    MacroValue v;
    v.list_ = new SharedList{1, std::move(list)};
    v.kind_ = ValueKind::List;
    return v;
}

MacroValue::SharedText* MacroValue::NewText(std::u16string&& text) {
    SharedText* shared = new SharedText{1, std::move(text)};
    TextMemory::Charge(HeldBytes(shared->text));
    return shared;
}

void MacroValue::DeleteText(SharedText* shared) {
    TextMemory::Refund(HeldBytes(shared->text));
    delete shared;
}

void MacroValue::AppendToString(const std::u16string& tail) {
    if (text_->refs > 1) {
        std::u16string copy;
        copy.reserve(text_->text.size() + tail.size());
        copy = text_->text;
        --text_->refs;
        text_ = NewText(std::move(copy));
    }
    const size_t before = HeldBytes(text_->text);
    text_->text += tail;
    TextMemory::Refund(before);
    TextMemory::Charge(HeldBytes(text_->text));
}

const std::u16string& MacroValue::EmptyText() {
    static const std::u16string empty;
    return empty;
}

const TokenRef& MacroValue::EmptyList() {
    static const TokenRef none;
    return none;
}
