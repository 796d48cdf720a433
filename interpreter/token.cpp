// cMoMacro_Token: the list operations the interpreter builds on (copy, search, stack use, debug text).
// An index outside the list is a caller fault and throws std::out_of_range.
#include "token.h"

#include "value_ops.h"

void cMoMacro_Token::OutOfRange() {
    throw std::out_of_range("token list index");
}

bool cMoMacro_Token::ItemTest(int32_t index, const MacroValue& value, int32_t type) const {
    const Entry& e = At(index);
    return e.type == type && ValuesEqual(e.value, value);
}

bool cMoMacro_Token::ItemIs(int32_t index, std::u16string_view text, int32_t type) const {
    if (index < 0 || index >= Count()) return false;
    const Entry& e = items_[static_cast<size_t>(index)];
    return e.type == type && e.value.IsString() && e.value.StringValue() == text;
}

void cMoMacro_Token::AddNotNullString(const MacroValue& value, int32_t type) {
    if (value.IsString() && value.StringValue().empty()) return;
    Add(value, type);
}

void cMoMacro_Token::AddTokenItem(const cMoMacro_Token& other) {
    items_.reserve(items_.size() + other.items_.size());
    for (const Entry& e : other.items_) items_.push_back(e);
    Changed();
}

void cMoMacro_Token::Delete(int32_t position) {
    if (items_.empty()) throw std::out_of_range("delete from an empty token list");
    if (position < 0 || position >= Count())
        items_.pop_back();
    else
        items_.erase(items_.begin() + position);
    Changed();
}

void cMoMacro_Token::Pop(MacroValue& value) {
    value = LastItem();
    items_.pop_back();
    Changed();
}

void cMoMacro_Token::Pop(MacroValue& value, int32_t& type) {
    type = LastItemType();
    Pop(value);
}

size_t ListBytes(const cMoMacro_Token& list) {
    // A list lives in a shared block with its counts; each nested one also has its shared record.
    constexpr size_t kSharedBlock = sizeof(cMoMacro_Token) + 2 * sizeof(long);
    size_t bytes = kSharedBlock + list.Entries().capacity() * sizeof(cMoMacro_Token::Entry);
    for (const cMoMacro_Token::Entry& entry : list.Entries())
        if (entry.value.IsList() && entry.value.ListValue())
            bytes += sizeof(TokenRef) + sizeof(int32_t) + ListBytes(*entry.value.ListValue());
    return bytes;
}

TokenRef cMoMacro_Token::Copy(int32_t first, int32_t last) const {
    TokenRef copy = NewTokenList();
    if (last < 0 || last >= Count()) last = Count() - 1;
    for (int32_t i = first; i <= last; ++i) {
        const Entry& e = At(i);
        if (e.value.IsList())
            copy->AddToken(e.value.ListValue());
        else
            copy->Add(e.value, e.type);
    }
    return copy;
}

int32_t cMoMacro_Token::Search(const MacroValue& key) const {
    for (int32_t i = 0; i < Count(); ++i) {
        const Entry& e = items_[static_cast<size_t>(i)];
        if (!e.value.IsList() && ValuesEqual(e.value, key)) return i;
    }
    return -1;
}

int32_t cMoMacro_Token::Search(const MacroValue& key, int32_t type) const {
    for (int32_t i = 0; i < Count(); ++i) {
        const Entry& e = items_[static_cast<size_t>(i)];
        if (!e.value.IsList() && e.type == type && ValuesEqual(e.value, key)) return i;
    }
    return -1;
}

std::u16string cMoMacro_Token::DebugOut(int32_t level) const {
    static const std::u16string brackets = u"??【】｛｝''\"\"｢｣『』";
    std::u16string text;
    for (const Entry& e : items_) {
        if (e.value.IsList()) {
            if (e.value.ListValue()) {
                text += u'(';
                text += e.value.ListValue()->DebugOut(level + 1);
                text += u')';
            }
            continue;
        }
        size_t open = static_cast<size_t>(2 * e.type), close = open + 1;
        if (e.type < 0 || close >= brackets.size()) open = 0, close = 1;
        text += brackets[open] + ToText(e.value) + brackets[close];
    }
    return text;
}
