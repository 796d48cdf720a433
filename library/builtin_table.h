// The built-in dispatch: the call record every implementation receives, the services the facade lends it,
// and the table from upper-case name to implementation that each built-in family fills with its entries.
#pragma once

#include "error.h"
#include "held_input.h"
#include "macro_value.h"
#include "token.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

class UserInterface;
class DesktopPlatform;

// What the facade lends the built-ins: its user interface and desktop (either may be absent), its PrintOut,
// whether the run has been asked to stop (so a long wait can end early), and the keys and buttons the
// built-ins hold down on the desktop.
struct BuiltinServices {
    UserInterface* ui = nullptr;
    DesktopPlatform* desktop = nullptr;
    std::function<void(const std::u16string&)> printOut;
    std::function<bool()> stopRequested;
    HeldInput held;
};

// One call of a built-in: the upper-cased name that matched, the evaluated arguments (possibly none), the
// result slot (initially empty) and the engine's error object.
struct BuiltinCall {
    const std::u16string& name;
    cMoMacro_Token& args;
    MacroValue& result;
    cMoMacro_Error& error;
    BuiltinServices& services;

    int32_t Count() const { return args.Count(); }
    const MacroValue& Arg(int32_t index) const { return args.Item(index); }
};

using BuiltinFunction = void (*)(BuiltinCall& call);

class BuiltinTable {
  public:
    // Later entries replace earlier ones of the same name. The name must be upper case.
    void Add(std::u16string name, BuiltinFunction function) { entries_[std::move(name)] = function; }
    // The implementation for an upper-case name, or nullptr.
    BuiltinFunction Find(const std::u16string& upperName) const;
    size_t Size() const { return entries_.size(); }

  private:
    std::unordered_map<std::u16string, BuiltinFunction> entries_;
};

// Each family source adds its entries here. A family that is not built yet has no function, so its names stay
// out of the table and calls of them end as undefined names.
void RegisterConstantBuiltins(BuiltinTable& table);
void RegisterStringBuiltins(BuiltinTable& table);
void RegisterNumericBuiltins(BuiltinTable& table);
void RegisterOutputBuiltins(BuiltinTable& table);
void RegisterImageBuiltins(BuiltinTable& table);
void RegisterProcessBuiltins(BuiltinTable& table);
void RegisterKeyboardMouseBuiltins(BuiltinTable& table);
void RegisterWindowBuiltins(BuiltinTable& table);

// The table of every family that exists, built once.
const BuiltinTable& StandardBuiltins();
