// The table from upper-case built-in name to implementation, and the one standard table that lists every
// family. A new family adds its register function to the list in StandardBuiltins.
#include "builtin_table.h"

BuiltinFunction BuiltinTable::Find(const std::u16string& upperName) const {
    auto it = entries_.find(upperName);
    return it == entries_.end() ? nullptr : it->second;
}

const BuiltinTable& StandardBuiltins() {
    static const BuiltinTable table = [] {
        BuiltinTable t;
        RegisterConstantBuiltins(t);
        RegisterStringBuiltins(t);
        RegisterNumericBuiltins(t);
        RegisterOutputBuiltins(t);
        RegisterImageBuiltins(t);
        RegisterProcessBuiltins(t);
        RegisterKeyboardMouseBuiltins(t);
        RegisterWindowBuiltins(t);
        return t;
    }();
    return table;
}
