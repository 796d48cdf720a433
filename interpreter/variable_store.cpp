// cMoMacro_Variable: creation, lookup, reading and writing of one scope's variables.
// Records keep their creation order; a hash index on the upper-case name makes lookups constant time.
#include "variable_store.h"

#include "value_ops.h"

#include <atomic>

std::u16string UpperCase(std::u16string_view text) {
    std::u16string upper(text);
    for (char16_t& c : upper)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    return upper;
}

// Identities are unique among all stores of all threads. Each thread takes them from the shared counter a
// block at a time: a call of a user function starts a store, and a locked increment per call would be a
// measurable part of a short function's cost.
void cMoMacro_Variable::TakeIds() {
    constexpr uint64_t kBlock = 4096;
    static std::atomic<uint64_t> next{1};
    tNextId = next.fetch_add(kBlock, std::memory_order_relaxed);
    tEndId = tNextId + kBlock;
}

// Every other start: the records of an earlier plan are scalars (a planned name cannot be declared again),
// so they are kept and emptied rather than made again; a store that gained variables of its own is cleared.
void cMoMacro_Variable::StartAfresh(const Plan& plan) {
    if (records_.size() != planned_ || !index_.empty()) Clear();
    if (!emptied_)
        for (Record& r : records_) r.scalar.Reset();
    emptied_ = false;
    if (records_.size() != plan.names.size()) records_.resize(plan.names.size());
    planNames_ = plan.names.data();
    planned_ = plan.names.size();
    id_ = NewId();
    shape_ = plan.shape;
    if (planned_ > kLinearSearchLimit) IndexFrom(0);
}

void cMoMacro_Variable::ReleaseElements() {
    if (budget_) budget_->used -= elementCount_;
    elementCount_ = 0;
}

void cMoMacro_Variable::Clear() {
    ReleaseElements();
    records_.clear();
    names_.clear();
    if (!index_.empty()) index_.clear();
    planNames_ = nullptr;
    planned_ = 0;
    id_ = NewId();
    shape_ = NewId();
}

int32_t cMoMacro_Variable::SearchUpper(const std::u16string& upper) const {
    if (records_.size() <= kLinearSearchLimit) {
        for (size_t i = 0; i < records_.size(); ++i)
            if (NameAt(i) == upper) return static_cast<int32_t>(i);
        return -1;
    }
    auto it = index_.find(upper);
    return it == index_.end() ? -1 : it->second;
}

int32_t cMoMacro_Variable::SearchIndex(const std::u16string& name) const {
    return SearchUpper(UpperCase(name));
}

void cMoMacro_Variable::CreateVariable(const std::u16string& name, int32_t dimension, cMoMacro_Error& error) {
    if (SearchIndex(name) >= 0) return error.Report(5, u"既に定義されています - " + name);
    if (dimension > kMaxDimension) return error.Report(5, u"配列のサイズが大きすぎます - " + name);
    if (name.size() > kMaxNameLength) return error.Report(5, u"変数名が長すぎます - " + name);
    size_t elements = dimension >= 0 ? static_cast<size_t>(dimension) + 1 : 0;
    if (budget_ && budget_->used + elements > budget_->limit)
        return error.Report(5, u"配列のサイズが大きすぎます - " + name);
    if (budget_) budget_->used += elements;
    elementCount_ += elements;
    Record record;
    record.dimension = dimension < 0 ? -1 : dimension;
    if (dimension >= 0) record.elements.resize(static_cast<size_t>(dimension) + 1);
    AppendRecord(std::move(record), UpperCase(name));
}

void cMoMacro_Variable::AppendRecord(Record record, std::u16string upper) {
    records_.push_back(std::move(record));
    names_.push_back(std::move(upper));
    id_ = NewId();
    shape_ = NewId();
    // Small stores (a function's parameters and locals) are searched linearly; larger ones get a hash index.
    if (records_.size() == kLinearSearchLimit + 1)
        IndexFrom(0);
    else if (records_.size() > kLinearSearchLimit + 1)
        IndexFrom(records_.size() - 1);
}

void cMoMacro_Variable::IndexFrom(size_t position) {
    for (size_t i = position; i < records_.size(); ++i) index_.emplace(NameAt(i), static_cast<int32_t>(i));
}

int32_t cMoMacro_Variable::PositionOf(const MacroValue& key, std::u16string& keyText) const {
    keyText = ToText(key);
    if (key.IsString()) return SearchIndex(key.StringValue());
    int32_t position = -1;
    if (ToInt32(key, position) != 0) return -1;
    return position;
}

const MacroValue* cMoMacro_Variable::Refuse(int32_t position, int32_t index, const std::u16string& name,
                                            cMoMacro_Error& error) const {
    if (position < 0 || position >= Count())
        error.Report(5, u"変数が定義されていません - " + name);
    else if (records_[static_cast<size_t>(position)].dimension < 0)
        error.Report(6, u"配列ではありません - " + name);
    else
        error.Report(6, u"添字が範囲外です - " + name);
    (void)index;
    return nullptr;
}

MacroValue cMoMacro_Variable::GetValue(const MacroValue& key, int32_t index, cMoMacro_Error& error) const {
    std::u16string keyText;
    int32_t position = PositionOf(key, keyText);
    const MacroValue* slot = ValueAt(position, index, keyText, error);
    return slot ? *slot : MacroValue();
}

void cMoMacro_Variable::SetValue(const MacroValue& key, int32_t index, const MacroValue& value,
                                 cMoMacro_Error& error) {
    std::u16string keyText;
    int32_t position = PositionOf(key, keyText);
    SetAt(position, index, value, keyText, error);
}

MacroValue cMoMacro_Variable::GetByName(const std::u16string& name, int32_t index,
                                        cMoMacro_Error& error) const {
    const MacroValue* slot = ValueAt(SearchIndex(name), index, name, error);
    return slot ? *slot : MacroValue();
}

void cMoMacro_Variable::SetByName(const std::u16string& name, int32_t index, const MacroValue& value,
                                  cMoMacro_Error& error) {
    SetAt(SearchIndex(name), index, value, name, error);
}

std::u16string cMoMacro_Variable::DebugOut() const {
    std::u16string text;
    for (size_t i = 0; i < records_.size(); ++i) {
        const Record& r = records_[i];
        text += NameAt(i);
        if (r.dimension < 0) {
            text += u'=';
            text += ToText(r.scalar);
            text += u'\n';
            continue;
        }
        text += u'(';
        text += ToText(MacroValue::Int32(r.dimension));
        text += u")\n";
    }
    return text;
}
