// A small host for the interpreter's unit tests: an engine wired to recording request handlers.
// Runs macro texts written with LF line ends (sent to the engine with CR LF) and reads variables back.
#pragma once

#include "codepage.h"
#include "engine.h"
#include "value_ops.h"
#include "variable_store.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qm_test {

// Turns "a\nb" into "a\r\nb": tests write macros with plain line breaks, the engine wants CR LF.
inline std::u16string Crlf(std::u16string_view text) {
    std::u16string out;
    for (char16_t c : text) {
        if (c == u'\n') out += u'\r';
        out += c;
    }
    return out;
}

// One request the engine made of its host, with what the engine had set up before asking.
struct ExternCall {
    std::u16string name;
    std::vector<MacroValue> args;
    std::vector<int32_t> argTypes;
    int32_t codeOnEntry = 0;
    std::u16string infoOnEntry;
};

class TestHost {
  public:
    using HostFunction = std::function<MacroValue(const std::vector<MacroValue>&, cMoMacro_Error&)>;

    cMoMacro_Engine engine;
    std::vector<std::u16string> output; // lines written by PRINT
    std::vector<ExternCall> calls;      // every extern request, in the order the engine made them
    std::map<std::u16string, HostFunction> functions;  // names the host knows (upper case) besides PRINT
    std::function<void(const std::u16string&)> onCall; // runs inside every extern request

    TestHost() {
        engine.AddExternFunction(u"PRINT");
        engine.SetSyncRun(true);
        engine.SetRequestExternFunction([this](const std::u16string& name, cMoMacro_Token& args,
                                               MacroValue& result,
                                               cMoMacro_Error& error) { Answer(name, args, result, error); });
    }

    // Assigns the text and runs it; returns Run's result.
    int32_t Run(std::u16string_view text) {
        engine.SetMacroText(Crlf(text));
        return engine.Run();
    }

    int32_t Code() const { return engine.Error().ErrorCode(); }
    const std::u16string& Info() const { return engine.Error().ErrorInformation(); }
    int32_t Line() const { return engine.Error().ErrorLine(); }

    // A global variable (index < 0: scalar) after a run; fails the test through the error object if missing.
    MacroValue Global(const std::u16string& name, int32_t index = -1) const {
        cMoMacro_Error error;
        if (engine.GlobalVariable() == nullptr) return MacroValue::String(u"<no global store>");
        MacroValue value = engine.GlobalVariable()->GetByName(name, index, error);
        if (error.ErrorCode() != 0) return MacroValue::String(u"<" + error.ErrorInformation() + u">");
        return value;
    }
    std::u16string GlobalText(const std::u16string& name, int32_t index = -1) const {
        return ToText(Global(name, index));
    }

    std::vector<std::u16string> CallNames() const {
        std::vector<std::u16string> names;
        for (const ExternCall& call : calls) names.push_back(call.name);
        return names;
    }

  private:
    void Answer(const std::u16string& name, cMoMacro_Token& args, MacroValue& result, cMoMacro_Error& error) {
        ExternCall call{name, {}, {}, error.ErrorCode(), error.ErrorInformation()};
        for (int32_t i = 0; i < args.Count(); ++i) {
            call.args.push_back(args.Item(i));
            call.argTypes.push_back(args.ItemType(i));
        }
        calls.push_back(call);
        if (onCall) onCall(name);
        const std::u16string upper = UpperCase(name);
        if (upper == u"PRINT") {
            ClearKeepingLine(error);
            output.push_back(PrintLine(call.args));
            return;
        }
        auto found = functions.find(upper);
        if (found == functions.end()) return; // unknown: the engine's code 5 stands
        ClearKeepingLine(error);
        result = found->second(call.args, error);
    }

    // A built-in clears the pending code 5 but keeps the line of the statement, as the macro facade does, so
    // an error it reports names the line of the call.
    static void ClearKeepingLine(cMoMacro_Error& error) {
        const int32_t line = error.ErrorLine();
        error.Clear();
        error.SetErrorLine(line);
    }

    // Joins the argument texts with a TAB after every non-empty prefix, as the PRINT built-in does.
    static std::u16string PrintLine(const std::vector<MacroValue>& args) {
        std::u16string line;
        for (const MacroValue& value : args) {
            if (!line.empty()) line += u'\t';
            line += ToText(value);
        }
        return line;
    }
};

} // namespace qm_test
