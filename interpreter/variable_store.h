// cMoMacro_Variable: one scope's scalars and one-dimensional arrays, looked up by name without regard to
// case. Failures are written to the error object the caller passes in; the store is then left unchanged.
#pragma once

#include "error.h"
#include "macro_value.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class cMoMacro_Variable {
  public:
    // Array elements that all stores sharing one budget may hold together. An engine gives every store it
    // creates the same budget, so nested calls that each DIM a large array cannot exhaust the machine's
    // memory.
    struct ElementBudget {
        size_t limit = 0;
        size_t used = 0;
    };

    // The names a store is started with (upper case, distinct, of valid length) and the shape every store
    // started from the plan shares. The plan must stay unchanged while a store uses it (until its next Clear
    // or Start): the store reads the names from it instead of keeping copies.
    struct Plan {
        std::vector<std::u16string> names;
        uint64_t shape = 0; // 0: no plan
    };

    cMoMacro_Variable() = default;
    explicit cMoMacro_Variable(std::shared_ptr<ElementBudget> budget) : budget_(std::move(budget)) {}
    cMoMacro_Variable(const cMoMacro_Variable&) = delete;
    cMoMacro_Variable& operator=(const cMoMacro_Variable&) = delete;
    ~cMoMacro_Variable() { ReleaseElements(); }

    static constexpr int32_t kMaxDimension = 65535;
    static constexpr size_t kMaxNameLength = 250;
    static constexpr size_t kLinearSearchLimit = 12;

    void Clear();
    // Empties the store and gives it the plan's names as empty scalars, in order, the plan's shape and a new
    // identity.
    void Start(const Plan& plan) {
        // The common case, a store recycled after a call of the same plan, without a single record made.
        if (emptied_ && index_.empty() && records_.size() == planned_ && planned_ == plan.names.size())
            [[likely]] {
            emptied_ = false;
            planNames_ = plan.names.data();
            id_ = NewId();
            shape_ = plan.shape;
            return;
        }
        StartAfresh(plan);
    }
    // Lets go of every value and array, as Clear does, for a store that waits for its next Start: the records
    // a plan made are kept, empty, for that Start to reuse. Until then the store must not be read.
    void Recycle() {
        if (records_.size() != planned_) [[unlikely]]
            return Clear();
        for (Record& r : records_) r.scalar.Reset();
        emptied_ = true;
    }
    // The scalar of a record the caller knows to hold one (one the plan made, for instance), for writing.
    MacroValue& KnownScalar(int32_t position) { return records_[static_cast<size_t>(position)].scalar; }
    int32_t Count() const { return static_cast<int32_t>(records_.size()); }
    void CreateVariable(const std::u16string& name, int32_t dimension, cMoMacro_Error& error);
    // key: a name (string) or a record position (number). index < 0 reads or writes a scalar.
    MacroValue GetValue(const MacroValue& key, int32_t index, cMoMacro_Error& error) const;
    void SetValue(const MacroValue& key, int32_t index, const MacroValue& value, cMoMacro_Error& error);
    int32_t SearchIndex(const std::u16string& name) const;
    // The upper-case name of the record at a position (0 ≤ position < Count()).
    const std::u16string& NameOf(int32_t position) const { return NameAt(static_cast<size_t>(position)); }
    // The same lookup for a name that is already upper case.
    int32_t SearchUpper(const std::u16string& upper) const;
    // Identifies this store and its records: unique among all stores, renewed by Clear and by every new
    // variable. While it lasts, every name keeps its position (or its absence) and every value its address.
    uint64_t Id() const { return id_; }
    // Identifies the store's names and their positions (not its values): renewed like the identity, but
    // stores filled the same way (the calls of one function) may be given one shape, so a name found in one
    // is found at the same position in the others.
    uint64_t Shape() const { return shape_; }
    static uint64_t NewId() {
        if (tNextId == tEndId) [[unlikely]]
            TakeIds();
        return tNextId++;
    }
    std::u16string DebugOut() const;

    // Name-keyed shortcuts for the engine (the same checks and texts as GetValue/SetValue with a string key).
    MacroValue GetByName(const std::u16string& name, int32_t index, cMoMacro_Error& error) const;
    void SetByName(const std::u16string& name, int32_t index, const MacroValue& value, cMoMacro_Error& error);
    // Reads or writes at a known position; name is only used for error texts.
    const MacroValue* ValueAt(int32_t position, int32_t index, const std::u16string& name,
                              cMoMacro_Error& error) const {
        if (const MacroValue* slot = Slot(position, index)) return slot;
        return Refuse(position, index, name, error);
    }
    // The scalar at a position, or nullptr when the position holds an array or none.
    const MacroValue* ScalarAt(int32_t position) const { return Slot(position, -1); }
    // The elements of the array at a position and its last index; false when the position holds no array.
    // The elements keep their addresses as long as the store keeps its identity.
    bool ArrayAt(int32_t position, const MacroValue*& first, int32_t& last) const {
        if (position < 0 || position >= Count()) return false;
        const Record& r = records_[static_cast<size_t>(position)];
        if (r.dimension < 0) return false;
        first = r.elements.data();
        last = r.dimension;
        return true;
    }
    // The element at a position and index, or nullptr when they name none.
    const MacroValue* ElementAt(int32_t position, int32_t index) const {
        return index < 0 ? nullptr : Slot(position, index);
    }
    void SetAt(int32_t position, int32_t index, MacroValue value, const std::u16string& name,
               cMoMacro_Error& error) {
        if (const MacroValue* slot = Slot(position, index))
            *const_cast<MacroValue*>(slot) = std::move(value);
        else
            Refuse(position, index, name, error);
    }

  private:
    // A record's name lives in the plan for the records the plan made, in names_ for those created later.
    // 64 bytes (from 48), so that the record count is a shift of the vector's byte length, not a division:
    // the count is checked on every start, recycle and read of a record.
    struct alignas(64) Record {
        int32_t dimension = -1;
        MacroValue scalar;
        std::vector<MacroValue> elements;
    };
    int32_t PositionOf(const MacroValue& key, std::u16string& keyText) const;
    // The value a position and index name, or nullptr when they name none.
    const MacroValue* Slot(int32_t position, int32_t index) const {
        if (position < 0 || position >= Count()) return nullptr;
        const Record& r = records_[static_cast<size_t>(position)];
        if (r.dimension < 0) return index < 0 ? &r.scalar : nullptr;
        if (index < 0 || index > r.dimension) return nullptr;
        return &r.elements[static_cast<size_t>(index)];
    }
    // Reports why a position and index name no value; returns nullptr.
    const MacroValue* Refuse(int32_t position, int32_t index, const std::u16string& name,
                             cMoMacro_Error& error) const;
    const std::u16string& NameAt(size_t position) const {
        return position < planned_ ? planNames_[position] : names_[position - planned_];
    }
    std::vector<Record> records_;
    std::vector<std::u16string> names_; // upper case, of the records after the planned ones
    const std::u16string* planNames_ = nullptr;
    size_t planned_ = 0;
    bool emptied_ = false; // every record is an empty scalar (after Recycle, until the next Start)
    std::unordered_map<std::u16string, int32_t> index_;
    uint64_t id_ = NewId();
    uint64_t shape_ = NewId();
    std::shared_ptr<ElementBudget> budget_;
    size_t elementCount_ = 0; // elements of this store's arrays, counted against the budget
    void ReleaseElements();
    void StartAfresh(const Plan& plan);
    // The identities this thread hands out next: a block taken from a counter all threads share, so they
    // stay unique without an atomic operation each.
    static inline thread_local uint64_t tNextId = 0;
    static inline thread_local uint64_t tEndId = 0;
    static void TakeIds();
    void AppendRecord(Record record, std::u16string upper);
    void IndexFrom(size_t position);
};

// Upper-cases ASCII letters; every other character stays as it is.
std::u16string UpperCase(std::u16string_view text);
