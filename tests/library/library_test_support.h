// Helpers for the library tests: calling one built-in directly with chosen argument values, running a macro
// through the facade while collecting its PRINT lines, and a scripted user-interface double.
#pragma once

#include "builtin_table.h"
#include "codepage.h"
#include "macro_facade.h"
#include "user_interface.h"
#include "value_ops.h"

#include <deque>
#include <initializer_list>
#include <string>
#include <vector>

namespace testing_support {

inline MacroValue S(std::u16string text) {
    return MacroValue::String(std::move(text));
}
inline MacroValue D(double value) {
    return MacroValue::Double(value);
}
inline MacroValue I(int32_t value) {
    return MacroValue::Int32(value);
}

inline std::string U8(const std::u16string& text) {
    return ToUtf8(text);
}

struct BuiltinOutcome {
    MacroValue result;
    cMoMacro_Error error;
    std::vector<std::u16string> printed;

    int32_t Code() const { return error.ErrorCode(); }
    int32_t Sub() const { return error.ErrorCodeSub(); }
    std::string Info() const { return ToUtf8(error.ErrorInformation()); }
    std::string Text() const { return ToUtf8(ToText(result)); }
};

// Calls the implementation registered under the upper-case name, as the dispatch would, with the engine's
// pending code 5 already set.
inline BuiltinOutcome CallBuiltin(const std::u16string& name, std::initializer_list<MacroValue> args,
                                  UserInterface* ui = nullptr, DesktopPlatform* desktop = nullptr) {
    BuiltinOutcome out;
    cMoMacro_Token list;
    for (const MacroValue& v : args) list.Add(v, ttNumber);
    BuiltinServices services;
    services.ui = ui;
    services.desktop = desktop;
    services.printOut = [&out](const std::u16string& line) { out.printed.push_back(line); };
    out.error.Report(5, u"未定義の関数/変数が使用されました - " + name);
    BuiltinFunction function = StandardBuiltins().Find(name);
    if (function == nullptr) return out;
    BuiltinCall call{name, list, out.result, out.error, services};
    function(call);
    return out;
}

// Calls a built-in as CallBuiltin does, with a desktop platform lent to it.
inline BuiltinOutcome CallBuiltinOnDesktop(const std::u16string& name, std::initializer_list<MacroValue> args,
                                           DesktopPlatform* desktop) {
    BuiltinOutcome out;
    cMoMacro_Token list;
    for (const MacroValue& v : args) list.Add(v, ttNumber);
    BuiltinServices services;
    services.desktop = desktop;
    services.printOut = [&out](const std::u16string& line) { out.printed.push_back(line); };
    out.error.Report(5, u"未定義の関数/変数が使用されました - " + name);
    BuiltinFunction function = StandardBuiltins().Find(name);
    if (function == nullptr) return out;
    BuiltinCall call{name, list, out.result, out.error, services};
    function(call);
    return out;
}

// Joins lines with CR LF, the line end macro text uses.
inline std::u16string Lines(std::initializer_list<std::u16string> lines) {
    std::u16string text;
    for (const std::u16string& line : lines) text += line + u"\r\n";
    return text;
}

struct MacroOutcome {
    std::vector<std::string> printed; // UTF-8
    int32_t code = 0;
    int32_t sub = 0;
    int32_t line = 0;
    std::string info;
};

// Parses and runs a macro on a fresh facade (SyncRun on) and collects what it printed.
inline MacroOutcome RunMacro(const std::u16string& text, UserInterface* ui = nullptr,
                             DesktopPlatform* desktop = nullptr) {
    MacroOutcome out;
    cMoMacro macro(ui, desktop);
    macro.SetPrintOut([&out](const std::u16string& line) { out.printed.push_back(ToUtf8(line)); });
    macro.SetSyncRun(true);
    macro.SetMacroText(text);
    if (macro.Error().ErrorCode() == 0) macro.Run();
    out.code = macro.Error().ErrorCode();
    out.sub = macro.Error().ErrorCodeSub();
    out.line = macro.Error().ErrorLine();
    out.info = ToUtf8(macro.Error().ErrorInformation());
    return out;
}

// A user interface whose input box answers from a script and which records what it was asked.
class ScriptedUserInterface : public UserInterface {
  public:
    std::deque<std::u16string> answers; // next answers of the input box; "" once exhausted (cancel)
    std::vector<std::u16string> prompts;
    std::vector<std::u16string> titles;
    bool dialogs = true;
    int yields = 0;

    bool CanShowDialogs() const override { return dialogs; }
    int32_t MessageBox(const std::u16string&, int32_t, const std::u16string&) override { return 1; }
    std::u16string InputBox(const std::u16string& prompt, const std::u16string& title) override {
        prompts.push_back(prompt);
        titles.push_back(title);
        if (answers.empty()) return u"";
        std::u16string answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowMessageWindow() override {}
    void SetMessageWindowPosition(int32_t, int32_t) override {}
    void SetMessageText(const std::u16string&) override {}
    int32_t MessageLabelLeft() const override { return 120; }
    int32_t MessageLabelWidth() const override { return 0; }
    void SetMessageWindowWidth(int32_t) override {}
    bool IsMessageWindowOpen() const override { return false; }
    void CloseMessageWindow() override {}
    void Yield() override { ++yields; }
};

} // namespace testing_support
