// cMoMacro_Token: the interpreter's one container, an ordered list of typed MacroValue items.
// Used for source tokens, compiled statements, argument lists and block stacks; nested lists are shared.
#pragma once

#include "macro_value.h"
#include "prepared_expression.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

// Item types of token lists.
enum : int32_t {
    ttKeyword = 1,
    ttOperator = 2,
    ttNumber = 3,
    ttString = 4,
    ttName = 5,
    ttFunction = 6,
    ttList = 100,
};

class cMoMacro_Token {
  public:
    struct Entry {
        MacroValue value;
        int32_t type = 0;
    };

    void Clear() {
        items_.clear();
        Changed();
    }
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }

    const MacroValue& Item(int32_t index) const { return At(index).value; }
    void SetItem(int32_t index, const MacroValue& value) {
        At(index).value = value;
        Changed();
    }
    void SetItemToken(int32_t index, TokenRef list) {
        At(index).value = MacroValue::List(std::move(list));
        Changed();
    }
    const TokenRef& ItemToken(int32_t index) const { return At(index).value.ListValue(); }
    int32_t ItemType(int32_t index) const { return At(index).type; }
    void SetItemType(int32_t index, int32_t type) {
        At(index).type = type;
        Changed();
    }

    const MacroValue& LastItem() const { return Item(Count() - 1); }
    int32_t LastItemType() const { return ItemType(Count() - 1); }
    const MacroValue& TopItem() const { return Item(0); }
    int32_t TopItemtype() const { return ItemType(0); }

    // True when the item has exactly this type and an equal value (strings compare case-sensitively).
    bool ItemTest(int32_t index, const MacroValue& value, int32_t type) const;
    // Shorthand for testing against a keyword or operator text.
    bool ItemIs(int32_t index, std::u16string_view text, int32_t type) const;

    void Add(const MacroValue& value, int32_t type) {
        items_.push_back({value, type});
        Changed();
    }
    void Add(MacroValue&& value, int32_t type) {
        items_.push_back({std::move(value), type});
        Changed();
    }
    void AddNotNullString(const MacroValue& value, int32_t type);
    void AddToken(TokenRef list) {
        items_.push_back({MacroValue::List(std::move(list)), ttList});
        Changed();
    }
    void AddTokenItem(const cMoMacro_Token& other);
    // A negative position removes the last item; a position at or past the end drops the last item.
    void Delete(int32_t position);
    void Push(const MacroValue& value, int32_t type) { Add(value, type); }
    void Pop(MacroValue& value);
    void Pop(MacroValue& value, int32_t& type);
    // Items first..last inclusive; a last index outside 0..Count-1 stands for the last item.
    TokenRef Copy(int32_t first, int32_t last) const;
    // Index of the first non-list item equal to the key (and of the given type, when one is given), or -1.
    int32_t Search(const MacroValue& key) const;
    int32_t Search(const MacroValue& key, int32_t type) const;

    // Debugging aid: forms the bracketed text of each item; writes nothing.
    std::u16string DebugOut(int32_t level) const;

    const std::vector<Entry>& Entries() const { return items_; }
    void Reserve(size_t n) { items_.reserve(n); }

    // What the engine derived from this list (its prepared expression, a target's lookup cache); dropped
    // whenever the list changes, so it always describes the current items.
    TokenCache& Cache() const {
        if (!cache_) cache_ = std::make_shared<TokenCache>();
        return *cache_;
    }

  private:
    void Changed() { cache_.reset(); }
    mutable std::shared_ptr<TokenCache> cache_;
    Entry& At(int32_t index) {
        if (index < 0 || index >= Count()) OutOfRange();
        return items_[static_cast<size_t>(index)];
    }
    const Entry& At(int32_t index) const {
        if (index < 0 || index >= Count()) OutOfRange();
        return items_[static_cast<size_t>(index)];
    }
    [[noreturn]] static void OutOfRange();
    std::vector<Entry> items_;
};

// The bytes a list's records hold, with the records of the lists nested in it (their texts are counted by
// the texts themselves).
size_t ListBytes(const cMoMacro_Token& list);

inline TokenRef NewTokenList() {
    return std::make_shared<cMoMacro_Token>();
}
