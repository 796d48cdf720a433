// cMoMacro: the macro facade. Owns one engine, registers every built-in name with it, answers its requests
// for built-ins (through the dispatch table) and for unknown variables (the ComputeLine prompt), and raises
// PrintOut for PRINT.
#pragma once

#include "builtin_table.h"
#include "engine.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class UserInterface;
class DesktopPlatform;

// Every built-in name in the order it is registered with the engine.
const std::vector<std::u16string>& BuiltinNamesInRegistrationOrder();

class cMoMacro {
  public:
    using PrintOutHandler = std::function<void(const std::u16string&)>;

    // Either pointer may be null; built-ins that need the missing side then fail with code 7. The objects
    // must outlive the facade.
    explicit cMoMacro(UserInterface* ui = nullptr, DesktopPlatform* desktop = nullptr);
    cMoMacro(const cMoMacro&) = delete;
    cMoMacro& operator=(const cMoMacro&) = delete;

    const std::u16string& MacroText() const { return engine_->MacroText(); }
    // Parses the text; a failure is left in Error().
    void SetMacroText(const std::u16string& text) { engine_->SetMacroText(text); }
    bool SyncRun() const { return engine_->SyncRun(); }
    void SetSyncRun(bool sync) { engine_->SetSyncRun(sync); }
    void ForceStop() { engine_->ForceStop(); }
    cMoMacro_Error& Error() { return engine_->Error(); }
    cMoMacro_Engine& Engine() { return *engine_; }

    // However a run ends (normally, with an error or stopped), it lets go of every key and mouse button its
    // built-ins pressed and did not release, and the desktop undoes what it changed for the run: a key left
    // held after the macro has ended would go on typing or modifying the user's own keys.
    int32_t Run();
    int32_t RunFunction(const std::u16string& name);
    // One expression evaluated on its own is a step of its host, not a run: what it holds stays held.
    MacroValue ComputeLine(const std::u16string& expression) { return engine_->ComputeLine(expression); }

    // The PrintOut event: receives every line PRINT writes.
    void SetPrintOut(PrintOutHandler handler) { services_.printOut = std::move(handler); }

    // The keys and buttons the built-ins of this facade hold down.
    const HeldInput& Held() const { return services_.held; }

  private:
    int32_t ReleaseHeldInputAfter(int32_t code);
    void EndRunOnDesktop();
    void OnRequestExternFunction(const std::u16string& name, cMoMacro_Token& args, MacroValue& result,
                                 cMoMacro_Error& error);
    void OnRequestUndefinedVariable(const std::u16string& name, const cMoMacro_Token* args,
                                    MacroValue& result, cMoMacro_Error& error);
    // The direct route: a built-in's number for the engine, and the call of a number.
    int32_t ResolveBuiltin(const std::u16string& upper);
    void DispatchBuiltin(int32_t number, const std::u16string& upper, cMoMacro_Token& args,
                         MacroValue& result, cMoMacro_Error& error);

    std::unique_ptr<cMoMacro_Engine> engine_;
    const BuiltinTable& table_;
    BuiltinServices services_;
    std::vector<BuiltinFunction> resolved_; // the built-ins the engine has asked for, by number
};
