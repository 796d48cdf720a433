// The macro facade: engine creation, registration of the built-in names in their fixed order, the dispatch of
// built-in requests, and the prompt that asks the user for the value of an unknown name during ComputeLine.
#include "macro_facade.h"

#include "desktop_platform.h"
#include "named_constants.h"
#include "user_interface.h"
#include "variable_store.h"

const std::vector<std::u16string>& BuiltinNamesInRegistrationOrder() {
    static const std::vector<std::u16string> names = [] {
        std::vector<std::u16string> list = {
            u"MSGBOX",   u"INPUTBOX",  u"PRINT",     u"MID",        u"RIGHT",     u"LEFT",
            u"TRIM",     u"INSTR",     u"STR",       u"HEX",        u"BIN",       u"VAL",
            u"ABS",      u"SGN",       u"INT",       u"SQR",        u"EXP",       u"SIN",
            u"COS",      u"TAN",       u"LOG",       u"SHELL",      u"WAIT",      u"KBD",
            u"MUS",      u"MUSORG",    u"LEN",       u"RND",        u"RANDOMIZE", u"GETWINID",
            u"SETWIN",   u"CTRLWIN",   u"MES",       u"FINDIMG",    u"GETCOLOR",  u"GETKEYSTATE",
            u"SOUND",    u"IMG_X",     u"IMG_Y",     u"IMG_R",      u"IMG_G",     u"IMG_B",
            u"MAX",      u"MIN",       u"NORMAL",    u"PRESS",      u"UP",        u"DOWN",
            u"LEFTDOWN", u"LEFTUP",    u"LEFTPRESS", u"MIDDLEDOWN", u"MIDDLEUP",  u"MIDDLEPRESS",
            u"MOVE",     u"RIGHTDOWN", u"RIGHTUP",   u"RIGHTPRESS",
        };
        for (const NamedConstant& key : VirtualKeyConstants()) list.emplace_back(key.name);
        return list;
    }();
    return names;
}

cMoMacro::cMoMacro(UserInterface* ui, DesktopPlatform* desktop)
    : engine_(std::make_unique<cMoMacro_Engine>()), table_(StandardBuiltins()) {
    services_.ui = ui;
    services_.desktop = desktop;
    services_.stopRequested = [this] { return engine_->StopRequested(); };
    engine_->SetRequestExternFunction(
        [this](const std::u16string& name, cMoMacro_Token& args, MacroValue& result, cMoMacro_Error& error) {
            OnRequestExternFunction(name, args, result, error);
        });
    engine_->SetRequestUndefinedVariable(
        [this](const std::u16string& name, const cMoMacro_Token* args, MacroValue& result,
               cMoMacro_Error& error) { OnRequestUndefinedVariable(name, args, result, error); });
    engine_->SetExternDispatch(
        [this](const std::u16string& upper) { return ResolveBuiltin(upper); },
        [this](int32_t number, const std::u16string& upper, cMoMacro_Token& args, MacroValue& result,
               cMoMacro_Error& error) { DispatchBuiltin(number, upper, args, result, error); });
    if (ui != nullptr) engine_->SetYield([ui] { ui->Yield(); }, UserInterface::kStatementsPerYield);
    for (const std::u16string& name : BuiltinNamesInRegistrationOrder()) engine_->AddExternFunction(name);
}

int32_t cMoMacro::Run() {
    return ReleaseHeldInputAfter(engine_->Run());
}

int32_t cMoMacro::RunFunction(const std::u16string& name) {
    return ReleaseHeldInputAfter(engine_->RunFunction(name));
}

int32_t cMoMacro::ReleaseHeldInputAfter(int32_t code) {
    EndRunOnDesktop();
    return code;
}

void cMoMacro::EndRunOnDesktop() {
    if (services_.desktop == nullptr) return;
    if (services_.held.AnyHeld()) services_.held.ReleaseAll(*services_.desktop);
    services_.desktop->EndOfRun();
}

// A name without an implementation is left alone, so the engine's code 5 for an undefined name stands.
void cMoMacro::OnRequestExternFunction(const std::u16string& name, cMoMacro_Token& args, MacroValue& result,
                                       cMoMacro_Error& error) {
    std::u16string upper = UpperCase(name);
    BuiltinFunction function = table_.Find(upper);
    if (function == nullptr) return;
    // Implementations clear the error object first; the engine puts the statement's line back afterwards.
    BuiltinCall call{upper, args, result, error, services_};
    function(call);
}

// The engine asks once per name where it is used; later calls go straight to the implementation.
int32_t cMoMacro::ResolveBuiltin(const std::u16string& upper) {
    BuiltinFunction function = table_.Find(upper);
    if (function == nullptr) return -1;
    for (size_t k = 0; k < resolved_.size(); ++k)
        if (resolved_[k] == function) return static_cast<int32_t>(k);
    resolved_.push_back(function);
    return static_cast<int32_t>(resolved_.size() - 1);
}

void cMoMacro::DispatchBuiltin(int32_t number, const std::u16string& upper, cMoMacro_Token& args,
                               MacroValue& result, cMoMacro_Error& error) {
    BuiltinCall call{upper, args, result, error, services_};
    resolved_[static_cast<size_t>(number)](call);
}

// Asks the user once for the value of a name nobody knows and keeps it as a global variable, so later uses in
// the same expression find it. Without a user interface nothing can be entered.
void cMoMacro::OnRequestUndefinedVariable(const std::u16string& name, const cMoMacro_Token* args,
                                          MacroValue& result, cMoMacro_Error& error) {
    error.Clear(); // the engine puts the statement's line back afterwards
    if (args != nullptr && args->Count() >= 1) {
        error.Report(
            2,
            u"未定義の関数が使用されたか、ComputeLineでは使用できない配列変数が使用されています。- " + name);
        return;
    }
    std::u16string answer;
    if (services_.ui != nullptr && services_.ui->CanShowDialogs())
        answer = services_.ui->InputBox(name + u" = ", u"変数の値入力");
    if (answer.empty()) {
        error.Report(5, u"変数の値が入力されませんでした。- " + name);
        return;
    }
    MacroValue value = cMoMacro_Engine::IsConst(answer) ? engine_->ValX(answer) : MacroValue::String(answer);
    if (error.ErrorCode() != 0) return;
    cMoMacro_Variable* global = engine_->GlobalVariable();
    if (global == nullptr) return;
    global->CreateVariable(name, -1, error);
    if (error.ErrorCode() != 0) return;
    global->SetByName(name, -1, value, error);
    if (error.ErrorCode() != 0) return;
    result = value;
}
