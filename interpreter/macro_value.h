// MacroValue: the one value type of the macro language (variables, array elements, tokens, arguments,
// results). A 16-byte tagged value whose texts and lists are shared between copies until one of them is
// written; the conversions and arithmetic that every part of the program shares live in value_ops.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class cMoMacro_Token;
using TokenRef = std::shared_ptr<cMoMacro_Token>;

enum class ValueKind : uint8_t { Empty, Null, Boolean, Int16, Int32, Fixed, Single, Double, String, List };

class MacroValue {
  public:
    MacroValue() : num_{} {}
    MacroValue(const MacroValue& other) { CopyFrom(other); }
    MacroValue(MacroValue&& other) noexcept { MoveFrom(std::move(other)); }
    MacroValue& operator=(const MacroValue& other) {
        if (this != &other) {
            Release();
            CopyFrom(other);
        }
        return *this;
    }
    MacroValue& operator=(MacroValue&& other) noexcept {
        if (this != &other) {
            Release();
            MoveFrom(std::move(other));
        }
        return *this;
    }
    ~MacroValue() { Release(); }

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
    // The text of a string value; the empty text for every other kind.
    const std::u16string& StringValue() const {
        return kind_ == ValueKind::String ? text_->text : EmptyText();
    }
    // The list of a list value; an empty reference for every other kind.
    const TokenRef& ListValue() const { return kind_ == ValueKind::List ? list_->list : EmptyList(); }

    // The numeric value of a boolean, number, empty or null as a double (true is -1; empty and null are 0).
    double AsDouble() const {
        switch (kind_) {
        case ValueKind::Double:
            return num_.d;
        case ValueKind::Int32:
            return num_.i32;
        case ValueKind::Int16:
            return num_.i16;
        case ValueKind::Boolean:
            return num_.b ? -1.0 : 0.0;
        case ValueKind::Fixed:
            return static_cast<double>(num_.fx) / 10000.0;
        case ValueKind::Single:
            return num_.f;
        default:
            return 0.0;
        }
    }

    // Replace the value in place with a number or boolean (no temporary value, no move).
    void SetDouble(double value) {
        Release();
        kind_ = ValueKind::Double;
        num_.d = value;
    }
    void SetBoolean(bool value) {
        Release();
        kind_ = ValueKind::Boolean;
        num_.b = value;
    }
    // Empty again, as a new value is, without building one to move from.
    void Reset() {
        Release();
        num_ = {};
    }
    // True when both values are texts sharing one storage.
    bool SharesTextWith(const MacroValue& other) const {
        return kind_ == ValueKind::String && other.kind_ == ValueKind::String && text_ == other.text_;
    }
    // The number of values sharing a text (0 for other kinds).
    int32_t TextShareCount() const { return kind_ == ValueKind::String ? text_->refs : 0; }
    // Appends to the text of a string value in place (the caller has checked the kind, the length limit and
    // the text memory budget). A text shared with other values is copied first, with room for the tail.
    void AppendToString(const std::u16string& tail);

  private:
    // A text or list with the number of values that share it. Values belong to one thread, so the count is
    // a plain integer.
    struct SharedText {
        int32_t refs;
        std::u16string text;
    };
    struct SharedList {
        int32_t refs;
        TokenRef list;
    };

    // Numbers live in the union directly; a copy of a text or list shares it, so copying any value is a
    // copy of 16 bytes and at most one count.
    void CopyFrom(const MacroValue& other) {
        num_ = other.num_;
        kind_ = other.kind_;
        if (kind_ == ValueKind::String)
            ++text_->refs;
        else if (kind_ == ValueKind::List)
            ++list_->refs;
    }
    // The moved-from value is left empty.
    void MoveFrom(MacroValue&& other) noexcept {
        num_ = other.num_;
        kind_ = other.kind_;
        other.kind_ = ValueKind::Empty;
    }
    // Numbers own nothing, so the common case is one test of the kind.
    void Release() {
        if (kind_ >= ValueKind::String) [[unlikely]]
            ReleaseShared();
        kind_ = ValueKind::Empty;
    }
    void ReleaseShared() {
        if (kind_ == ValueKind::String) {
            if (--text_->refs == 0) DeleteText(text_);
        } else if (--list_->refs == 0) {
            delete list_;
        }
    }
    // Texts are made and let go through these two, which keep the thread's text memory count.
    static SharedText* NewText(std::u16string&& text);
    static void DeleteText(SharedText* shared);
    static const std::u16string& EmptyText();
    static const TokenRef& EmptyList();

    union Numbers {
        bool b;
        int16_t i16;
        int32_t i32;
        int64_t fx;
        float f;
        double d;
    };

    union {
        Numbers num_;
        SharedText* text_;
        SharedList* list_;
    };
    ValueKind kind_ = ValueKind::Empty;
};
